# The compression panel and the preferences and item properties dialogs.
add_library(tessary_settings_gui STATIC
  compressfrm.cpp
  prefdialog.cpp
  propdialog.cpp)
target_include_directories(tessary_settings_gui PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tessary_settings_gui PUBLIC tessary_settings tessary_jobs Qt6::Widgets)
target_sources(tessary_settings_gui PRIVATE advancedtab.cpp)
target_sources(tessary_settings_gui PRIVATE presetbox.cpp)
