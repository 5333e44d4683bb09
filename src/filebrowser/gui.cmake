# GUI: the file list box and the folder tree (Qt Widgets, over the watcher).
add_library(tessary_filebrowser_gui STATIC
  filelistmodel.cpp
  filelistdelegate.cpp
  newfilelistbox.cpp
  foldertreemodel.cpp
  foldertree.cpp)
target_include_directories(tessary_filebrowser_gui PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tessary_filebrowser_gui PUBLIC tessary_watcher Qt6::Widgets)
