<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ru_RU">
    <context>
        <name>CommandLine</name>
        <message>
            <source>Tessary — пакетная оболочка для MP3-кодировщика LAME.
Указанные WAV-файлы добавляются в очередь; папка добавляет свои WAV-файлы, включая подпапки.</source>
            <translation>Tessary: a batch front end for the LAME MP3 encoder.
The given WAV files are added to the queue; a folder adds its WAV files, sub-folders included.</translation>
        </message>
        <message>
            <source>WAV-файлы и папки для очереди.</source>
            <translation>WAV files and folders to queue.</translation>
        </message>
        <message>
            <source>[ФАЙЛ|ПАПКА]...</source>
            <translation>[FILE|FOLDER]...</translation>
        </message>
        <message>
            <source>Показать эту справку и выйти.</source>
            <translation>Show this help and exit.</translation>
        </message>
        <message>
            <source>Показать версию и выйти.</source>
            <translation>Show the version and exit.</translation>
        </message>
        <message>
            <source>tessary: неизвестный параметр пропущен: %1
</source>
            <translation>tessary: unknown option ignored: %1
</translation>
        </message>
        <message>
            <source>tessary: не файл текущего вида и не папка, пропущено: %1</source>
            <translation>tessary: not a file of the current kind or a folder, ignored: %1</translation>
        </message>
    </context>
    <context>
        <name>TAboutF</name>
        <message>
            <source>О программе</source>
            <translation>About</translation>
        </message>
        <message>
            <source>Бета-версия.

Tessary developers
Россия, Казань, 2026</source>
            <translation>Beta version.

Tessary developers
Kazan, Russia, 2026</translation>
        </message>
        <message>
            <source>© 2026 Tessary developers. Распространяется свободно.</source>
            <translation>© 2026 Tessary developers. Free to share.</translation>
        </message>
        <message>
            <source>Закрыть</source>
            <translation>Close</translation>
        </message>
    </context>
    <context>
        <name>TAdvancedTab</name>
        <message>
            <source>Показывать файлы результата</source>
            <translation>Show output files</translation>
        </message>
        <message>
            <source>Спрашивать</source>
            <translation>Ask</translation>
        </message>
        <message>
            <source>Перезаписывать</source>
            <translation>Overwrite</translation>
        </message>
        <message>
            <source>Пропускать</source>
            <translation>Skip</translation>
        </message>
        <message>
            <source>Сохранять оба</source>
            <translation>Keep both</translation>
        </message>
        <message>
            <source>Если файл уже существует:</source>
            <translation>If the file already exists:</translation>
        </message>
        <message>
            <source>по числу ядер</source>
            <translation>one per core</translation>
        </message>
        <message>
            <source>Одновременно заданий:</source>
            <translation>Jobs at once:</translation>
        </message>
        <message>
            <source>Только когда задания выполняются по одному</source>
            <translation>Only when jobs run one at a time</translation>
        </message>
        <message>
            <source>Пауза между заданиями, с:</source>
            <translation>Pause between jobs, s:</translation>
        </message>
        <message>
            <source>Сжимать также FLAC, Ogg, Opus, AIFF, M4A, WavPack</source>
            <translation>Also encode FLAC, Ogg, Opus, AIFF, M4A, WavPack</translation>
        </message>
        <message>
            <source>Вставлять обложку</source>
            <translation>Embed cover art</translation>
        </message>
    </context>
    <context>
        <name>TBatchRun</name>
        <message>
            <source>Готово</source>
            <translation>Done</translation>
        </message>
        <message>
            <source>Обрабатывается: </source>
            <translation>Processing: </translation>
        </message>
        <message>
            <source>Не удалось создать папку: </source>
            <translation>Could not create the folder: </translation>
        </message>
        <message>
            <source>. Ошибок: </source>
            <translation>. Errors: </translation>
        </message>
        <message>
            <source>Ожидание отмены... </source>
            <translation>Waiting for cancel... </translation>
        </message>
        <message>
            <source>Файл назначения совпадает с исходным</source>
            <translation>The output file is the source file</translation>
        </message>
        <message>
            <source>Пропущено: файл уже существует</source>
            <translation>Skipped: the file already exists</translation>
        </message>
        <message>
            <source>Прервано</source>
            <translation>Stopped</translation>
        </message>
        <message>
            <source>Ожидание завершения текущих заданий… (ещё раз «Отмена» — прервать)</source>
            <translation>Waiting for the running jobs to finish… (“Cancel” once more stops them)</translation>
        </message>
        <message>
            <source>Исходный файл не найден</source>
            <translation>The source file was not found</translation>
        </message>
        <message>
            <source>Исходный файл не является файлом</source>
            <translation>The source is not a file</translation>
        </message>
        <message>
            <source>Исходный файл недоступен для чтения</source>
            <translation>The source file cannot be read</translation>
        </message>
        <message>
            <source>Исходный файл пуст</source>
            <translation>The source file is empty</translation>
        </message>
    </context>
    <context>
        <name>TReaderHelper</name>
        <message>
            <source>чтение файла завершилось аварийно</source>
            <translation>reading the file crashed</translation>
        </message>
        <message>
            <source>чтение файла заняло слишком много времени</source>
            <translation>reading the file took too long</translation>
        </message>
        <message>
            <source>программа чтения ответила неверно</source>
            <translation>the reader gave a malformed answer</translation>
        </message>
        <message>
            <source>программа чтения tessary-reader не запускается</source>
            <translation>the reader program tessary-reader does not start</translation>
        </message>
        <message>
            <source>формат не распознан или файл повреждён</source>
            <translation>unknown format or damaged file</translation>
        </message>
    </context>
    <context>
        <name>TSourceTagFiller</name>
        <message>
            <source>Не удалось прочитать теги: </source>
            <translation>Could not read the tags: </translation>
        </message>
    </context>
    <context>
        <name>TDecoderPipe</name>
        <message>
            <source>Не найден декодер ffmpeg</source>
            <translation>The ffmpeg decoder was not found</translation>
        </message>
        <message>
            <source>Ошибка декодера: </source>
            <translation>Decoder error: </translation>
        </message>
        <message>
            <source>Декодер завершился аварийно</source>
            <translation>The decoder crashed</translation>
        </message>
        <message>
            <source>Код завершения декодера </source>
            <translation>Decoder exit code </translation>
        </message>
    </context>
    <context>
        <name>TCompressFrm</name>
        <message>
            <source>Высшее</source>
            <translation>Highest</translation>
        </message>
        <message>
            <source>Низшее</source>
            <translation>Lowest</translation>
        </message>
        <message>
            <source>Для кодирования используется LAME</source>
            <translation>Encoding is done by LAME</translation>
        </message>
        <message>
            <source>%1 %2 (0 — высшее качество, 9 — низшее)</source>
            <translation>%1 %2 (0 is the highest quality, 9 the lowest)</translation>
        </message>
        <message>
            <source>Общие</source>
            <translation>General</translation>
        </message>
        <message>
            <source>Авто (рек.)</source>
            <translation>Auto (recommended)</translation>
        </message>
        <message>
            <source>По умолчанию</source>
            <translation>Default</translation>
        </message>
        <message>
            <source>&amp;Частота</source>
            <translation>&amp;Frequency</translation>
        </message>
        <message>
            <source>&amp;Режим</source>
            <translation>&amp;Mode</translation>
        </message>
        <message>
            <source>Прочее</source>
            <translation>Other</translation>
        </message>
        <message>
            <source>Метод</source>
            <translation>Method</translation>
        </message>
        <message>
            <source>Качество</source>
            <translation>Quality</translation>
        </message>
        <message>
            <source>&amp;Обрабатывать
все частоты</source>
            <translation>&amp;Keep all
frequencies</translation>
        </message>
        <message>
            <source>Битрейт</source>
            <translation>Bitrate</translation>
        </message>
        <message>
            <source>&amp;Новый способ кодирования</source>
            <translation>Ne&amp;w VBR routine</translation>
        </message>
        <message>
            <source>М&amp;акс.:</source>
            <translation>Ma&amp;x:</translation>
        </message>
        <message>
            <source>М&amp;ин.:</source>
            <translation>M&amp;in:</translation>
        </message>
        <message>
            <source>&amp;Качество VBR:</source>
            <translation>VBR &amp;quality:</translation>
        </message>
    </context>
    <context>
        <name>TExistingDlg</name>
        <message>
            <source>Файлы уже существуют</source>
            <translation>Files already exist</translation>
        </message>
        <message>
            <source>Файлы результата этих заданий уже существуют:</source>
            <translation>The output files of these jobs already exist:</translation>
        </message>
        <message>
            <source>Исходный файл</source>
            <translation>Source file</translation>
        </message>
        <message>
            <source>Файл результата</source>
            <translation>Output file</translation>
        </message>
        <message>
            <source>Перезаписать</source>
            <translation>Overwrite</translation>
        </message>
        <message>
            <source>Пропустить</source>
            <translation>Skip</translation>
        </message>
        <message>
            <source>Сохранить оба</source>
            <translation>Keep both</translation>
        </message>
        <message>
            <source>Отмена</source>
            <translation>Cancel</translation>
        </message>
    </context>
    <context>
        <name>TFolderTreeModel</name>
        <message>
            <source>Рабочий стол</source>
            <translation>Desktop</translation>
        </message>
    </context>
    <context>
        <name>THelpWindow</name>
        <message>
            <source>Справка Tessary</source>
            <translation>Tessary Help</translation>
        </message>
        <message>
            <source>&amp;Содержание</source>
            <translation>&amp;Contents</translation>
        </message>
        <message>
            <source>&amp;Введите первые буквы слова:</source>
            <translation>&amp;Type the first letters of a word:</translation>
        </message>
        <message>
            <source>&amp;Указатель</source>
            <translation>&amp;Index</translation>
        </message>
        <message>
            <source>tessary_ru.html</source>
            <comment>the help page of this language</comment>
            <translation>tessary_en.html</translation>
        </message>
    </context>
    <context>
        <name>TJobRunner</name>
        <message>
            <source>Не удалось создать временный файл: </source>
            <translation>Could not create a temporary file: </translation>
        </message>
        <message>
            <source>Не удалось запустить кодировщик</source>
            <translation>Could not start the encoder</translation>
        </message>
        <message>
            <source>Кодировщик завершился аварийно</source>
            <translation>The encoder crashed</translation>
        </message>
        <message>
            <source>Код завершения </source>
            <translation>Exit status </translation>
        </message>
        <message>
            <source>Кодировщик не создал файл назначения</source>
            <translation>The encoder wrote no output file</translation>
        </message>
        <message>
            <source>Не удалось сохранить файл результата: </source>
            <translation>Could not save the output file: </translation>
        </message>
        <message>
            <source>Прервано</source>
            <translation>Stopped</translation>
        </message>
    </context>
    <context>
        <name>TMainF</name>
        <message>
            <source>Выберите папку в дереве слева</source>
            <translation>Choose a folder in the tree on the left</translation>
        </message>
        <message>
            <source>В этой папке нет файлов </source>
            <translation>This folder holds no files matching </translation>
        </message>
        <message>
            <source>Очередь пуста. Выберите файлы вверху и нажмите «Добавить» или дважды щёлкните файл.</source>
            <translation>The queue is empty. Select files above and press “Add”, or double-click a file.</translation>
        </message>
        <message>
            <source>&amp;Добавить</source>
            <translation>&amp;Add</translation>
        </message>
        <message>
            <source>&amp;Удалить</source>
            <translation>&amp;Remove</translation>
        </message>
        <message>
            <source>У&amp;далить обработанные</source>
            <translation>Remove &amp;processed</translation>
        </message>
        <message>
            <source>Очистить &amp;очередь</source>
            <translation>&amp;Clear queue</translation>
        </message>
        <message>
            <source>&amp;Свойства...</source>
            <translation>Propert&amp;ies...</translation>
        </message>
        <message>
            <source>&amp;Вперед!</source>
            <translation>&amp;Go!</translation>
        </message>
        <message>
            <source>&amp;Отмена</source>
            <translation>&amp;Cancel</translation>
        </message>
        <message>
            <source>&amp;Удалить текущий</source>
            <translation>&amp;Remove current</translation>
        </message>
        <message>
            <source>&amp;Файл</source>
            <translation>&amp;File</translation>
        </message>
        <message>
            <source>&amp;Добавить в очередь...</source>
            <translation>&amp;Add to queue...</translation>
        </message>
        <message>
            <source>&amp;Выход</source>
            <translation>E&amp;xit</translation>
        </message>
        <message>
            <source>О&amp;чередь</source>
            <translation>&amp;Queue</translation>
        </message>
        <message>
            <source>&amp;Опции</source>
            <translation>&amp;Options</translation>
        </message>
        <message>
            <source>&amp;Параметры...</source>
            <translation>&amp;Preferences...</translation>
        </message>
        <message>
            <source>&amp;Справка...</source>
            <translation>&amp;Help...</translation>
        </message>
        <message>
            <source>&amp;О программе...</source>
            <translation>&amp;About...</translation>
        </message>
        <message>
            <source>Файлы: *.wav</source>
            <translation>Files: *.wav</translation>
        </message>
        <message>
            <source>Дерево папок</source>
            <translation>Folders</translation>
        </message>
        <message>
            <source>Очередь:</source>
            <translation>Queue:</translation>
        </message>
        <message>
            <source>Режим</source>
            <translation>Mode</translation>
        </message>
        <message>
            <source>С&amp;жатие</source>
            <translation>&amp;Encode</translation>
        </message>
        <message>
            <source>Д&amp;екодирование</source>
            <translation>&amp;Decode</translation>
        </message>
        <message>
            <source>Это не файл: </source>
            <translation>Not a file: </translation>
        </message>
        <message>
            <source>Файл больше не существует: </source>
            <translation>The file no longer exists: </translation>
        </message>
        <message>
            <source>MPEG аудио-файлы (*.mp?);;Все файлы (*)</source>
            <translation>MPEG audio files (*.mp?);;All files (*)</translation>
        </message>
        <message>
            <source>WAV-файлы (*.wav);;Все файлы (*)</source>
            <translation>WAV files (*.wav);;All files (*)</translation>
        </message>
        <message>
            <source>Добавление файла в очередь...</source>
            <translation>Add a file to the queue...</translation>
        </message>
        <message>
            <source>Файлы: </source>
            <translation>Files: </translation>
        </message>
        <message>
            <source>Здесь есть файлы FLAC, Ogg, Opus и других форматов. Чтобы сжимать их, включите «Сжимать также FLAC, Ogg, Opus, AIFF, M4A, WavPack» в «Опции → Параметры → Дополнительно».</source>
            <translation>This folder holds FLAC, Ogg, Opus or other files. To encode them, turn on “Also encode FLAC, Ogg, Opus, AIFF, M4A, WavPack” under Options → Preferences → Advanced.</translation>
        </message>
        <message>
            <source>Аудиофайлы</source>
            <translation>Audio files</translation>
        </message>
    </context>
    <context>
        <name>TOutputPreview</name>
        <message>
            <source>Файл уже существует: перед запуском будет задан вопрос</source>
            <translation>The file already exists: you will be asked before the run</translation>
        </message>
        <message>
            <source>Файл уже существует и будет перезаписан</source>
            <translation>The file already exists and will be overwritten</translation>
        </message>
        <message>
            <source>Файл уже существует: задание будет пропущено</source>
            <translation>The file already exists: the job will be skipped</translation>
        </message>
        <message>
            <source>Файл уже существует: %1 сохранится рядом с ним</source>
            <translation>The file already exists: %1 will be saved beside it</translation>
        </message>
        <message>
            <source>Совпадает с файлом результата строки %1: %2</source>
            <translation>Same as the output file of line %1: %2</translation>
        </message>
        <message>
            <source>Совпадает с файлом результата другого задания</source>
            <translation>Same as the output file of another job</translation>
        </message>
        <message>
            <source>; добавлен номер</source>
            <translation>; a number was added</translation>
        </message>
        <message>
            <source>Обрабатывается</source>
            <translation>Processing</translation>
        </message>
    </context>
    <context>
        <name>TPrefF</name>
        <message>
            <source>Настройка программы</source>
            <translation>Preferences</translation>
        </message>
        <message>
            <source>Файлы</source>
            <translation>Files</translation>
        </message>
        <message>
            <source>Параметры сжатия</source>
            <translation>Compression</translation>
        </message>
        <message>
            <source>Дополнительно</source>
            <translation>Advanced</translation>
        </message>
        <message>
            <source>О&amp;тмена</source>
            <translation>&amp;Cancel</translation>
        </message>
        <message>
            <source>Путь назначения</source>
            <translation>Target folder</translation>
        </message>
        <message>
            <source>&amp;Создавать подпапки для исполнителей и альбомов</source>
            <translation>&amp;Create sub-folders for artists and albums</translation>
        </message>
        <message>
            <source>Формирование имен</source>
            <translation>Naming</translation>
        </message>
        <message>
            <source>По умо&amp;лчанию</source>
            <translation>&amp;Defaults</translation>
        </message>
        <message>
            <source>%1 - Id3 Название
%2 - Id3 Исполнитель
%3 - Id3 Альбом
%4 - Id3 Год
%5 - Id3 Стиль
%6 - Id3 Комментарий
%7 - Id3 Дорожка (№)
%8 - Id3 Дорожка (№№)
%0 - исходное</source>
            <translation>%1 - Id3 title
%2 - Id3 artist
%3 - Id3 album
%4 - Id3 year
%5 - Id3 genre
%6 - Id3 comment
%7 - Id3 track (#)
%8 - Id3 track (##)
%0 - source name</translation>
        </message>
        <message>
            <source>Имя &amp;файла</source>
            <translation>&amp;File name</translation>
        </message>
        <message>
            <source>Папка &amp;исп-ля</source>
            <translation>&amp;Artist folder</translation>
        </message>
        <message>
            <source>Папка &amp;альбома</source>
            <translation>Al&amp;bum folder</translation>
        </message>
        <message>
            <source>Разное</source>
            <translation>Miscellaneous</translation>
        </message>
        <message>
            <source>&amp;Удалять исходный файл после обработки</source>
            <translation>De&amp;lete the source file after processing</translation>
        </message>
        <message>
            <source>Удалять обработанные файлы из очереди по окончании</source>
            <translation>Remove processed files from the queue at the end</translation>
        </message>
        <message>
            <source>Путь назначения должен быть полным, от корня: начинаться с «/» или с «~/» (домашняя папка).

%1</source>
            <translation>The target folder must be a full path from the root: it must start with “/” or with “~/” (your home folder).

%1</translation>
        </message>
        <message>
            <source>Выберите путь для сохранения файлов после обработки</source>
            <translation>Choose the folder where processed files are saved</translation>
        </message>
    </context>
    <context>
        <name>TPropF</name>
        <message>
            <source>Свойства сжатия</source>
            <translation>Compression properties</translation>
        </message>
        <message>
            <source>О&amp;тмена</source>
            <translation>&amp;Cancel</translation>
        </message>
    </context>
    <context>
        <name>TQueueList</name>
        <message>
            <source>Исходный файл</source>
            <translation>Source file</translation>
        </message>
        <message>
            <source>Файл результата</source>
            <translation>Output file</translation>
        </message>
    </context>
    <context>
        <name>TRunProgress</name>
        <message>
            <source>Осталось: %1</source>
            <translation>Time left: %1</translation>
        </message>
    </context>
    <context>
        <name>TTagEditor</name>
        <message>
            <source>Фикс.</source>
            <translation>Fix</translation>
        </message>
        <message>
            <source>Фикс.: </source>
            <translation>Fix: </translation>
        </message>
        <message>
            <source>Закрепить поле «%1»: его значение записывается в каждое добавляемое задание и в каждое задание, выбранное в очереди</source>
            <translation>Fix the field “%1”: its value is written into every job added and every job selected in the queue</translation>
        </message>
        <message>
            <source>Id3-тэги</source>
            <translation>Id3 tags</translation>
        </message>
        <message>
            <source>До&amp;рожка №</source>
            <translation>Trac&amp;k No.</translation>
        </message>
        <message>
            <source>Дорожка</source>
            <translation>Track</translation>
        </message>
        <message>
            <source>Авто</source>
            <translation>Auto</translation>
        </message>
        <message>
            <source>Номер дорожки присваивается при обработке: по порядку названий у каждого исполнителя и альбома</source>
            <translation>The track number is given during the run: in the order of the titles of each artist and album</translation>
        </message>
        <message>
            <source>ID3v1 хранит только латиницу (Latin-1). Если текст тегов в него не помещается, например кириллица, к файлу добавляется и тег ID3v2, чтобы текст не пропал</source>
            <translation>ID3v1 holds Latin-1 text only. When the tag text does not fit, Cyrillic for example, an ID3v2 tag is added as well so that the text is not lost</translation>
        </message>
        <message>
            <source>&amp;Название</source>
            <translation>&amp;Title</translation>
        </message>
        <message>
            <source>Название</source>
            <translation>Title</translation>
        </message>
        <message>
            <source>&amp;Исполнитель</source>
            <translation>Art&amp;ist</translation>
        </message>
        <message>
            <source>Исполнитель</source>
            <translation>Artist</translation>
        </message>
        <message>
            <source>&amp;Альбом</source>
            <translation>Al&amp;bum</translation>
        </message>
        <message>
            <source>Альбом</source>
            <translation>Album</translation>
        </message>
        <message>
            <source>&amp;Год</source>
            <translation>&amp;Year</translation>
        </message>
        <message>
            <source>Год</source>
            <translation>Year</translation>
        </message>
        <message>
            <source>&amp;Стиль</source>
            <translation>Ge&amp;nre</translation>
        </message>
        <message>
            <source>Стиль</source>
            <translation>Genre</translation>
        </message>
        <message>
            <source>&amp;Комментарий</source>
            <translation>Co&amp;mment</translation>
        </message>
        <message>
            <source>Комментарий</source>
            <translation>Comment</translation>
        </message>
        <message>
            <source>Неизв.</source>
            <translation>Unknown</translation>
        </message>
    </context>
    <context>
        <name>TUpDown</name>
        <message>
            <source>Переместить задание вверх</source>
            <translation>Move the job up</translation>
        </message>
        <message>
            <source>Переместить задание вниз</source>
            <translation>Move the job down</translation>
        </message>
    </context>
    <context>
        <name>TWindowRunView</name>
        <message>
            <source>%1 из %2</source>
            <translation>%1 of %2</translation>
        </message>
        <message>
            <source>Добавление в очередь: %1 из %2</source>
            <translation>Adding to the queue: %1 of %2</translation>
        </message>
    </context>
</TS>
