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
        <message>
            <source>tessary: не удалось запустить %1: %2
</source>
            <translation>tessary: cannot start %1: %2
</translation>
        </message>
        <message>
            <source>Без окна: tessary --batch ... и tessary --plan ... (справка: tessary --batch --help).</source>
            <translation>Without a window: tessary --batch ... and tessary --plan ... (help: tessary --batch --help).</translation>
        </message>
        <message>
            <source>Файл очереди (*.tessary-queue) открывается: его задания добавляются в очередь.</source>
            <translation>A queue file (*.tessary-queue) is opened: its jobs are added to the queue.</translation>
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
        <message>
            <source>по файловой системе назначения</source>
            <translation>for the target's file system</translation>
        </message>
        <message>
            <source>совместимые с любым носителем</source>
            <translation>compatible with any medium</translation>
        </message>
        <message>
            <source>Имена файлов:</source>
            <translation>File names:</translation>
        </message>
        <message>
            <source>Совместимые имена годятся для FAT, exFAT, NTFS и Windows: без &lt; &gt; : &quot; \ | ? * и «/» в тегах, без точки или пробела в конце</source>
            <translation>Compatible names suit FAT, exFAT, NTFS and Windows: no &lt; &gt; : &quot; \ | ? * and no “/” in tags, no dot or space at the end</translation>
        </message>
        <message>
            <source>нет</source>
            <translation>none</translation>
        </message>
        <message>
            <source>для трека</source>
            <translation>per track</translation>
        </message>
        <message>
            <source>для трека и альбома</source>
            <translation>per track and album</translation>
        </message>
        <message>
            <source>Нужна программа loudgain (пакет loudgain).</source>
            <translation>Needs the program loudgain (package loudgain).</translation>
        </message>
        <message>
            <source>Теги ReplayGain 2.0 пишет loudgain, когда все MP3 трека или альбома готовы</source>
            <translation>loudgain writes ReplayGain 2.0 tags once every MP3 of a track or album is done</translation>
        </message>
        <message>
            <source>Сообщать об окончании, если окно не активно</source>
            <translation>Notify at the end when the window is not active</translation>
        </message>
        <message>
            <source>Сохранять очередь при выходе</source>
            <translation>Keep the queue at exit</translation>
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
        <message>
            <source>. Без ReplayGain: </source>
            <translation>. Without ReplayGain: </translation>
        </message>
        <message>
            <source>прервано до конца альбома</source>
            <translation>stopped before the album was complete</translation>
        </message>
        <message>
            <source>Остановлено. Прервано: </source>
            <translation>Stopped. Jobs stopped: </translation>
        </message>
        <message>
            <source>Пропущено</source>
            <translation>Skipped</translation>
        </message>
        <message>
            <source>Ошибка</source>
            <translation>Failed</translation>
        </message>
        <message>
            <source>нужен запас %1, так как длина источника неизвестна</source>
            <translation>a reserve of %1 is needed, since the source's length is not known</translation>
        </message>
        <message>
            <source>нужно около %1</source>
            <translation>about %1 is needed</translation>
        </message>
        <message>
            <source>Недостаточно места в %1: не хватает %2 (%3, свободно %4). Освободите место и снова нажмите «Вперед!»</source>
            <translation>Not enough space in %1: %2 short (%3, %4 free). Free some space and press “Go!” again</translation>
        </message>
    </context>
    <context>
        <name>TSourceKind</name>
        <message>
            <source>%1 бит</source>
            <translation>%1 bits</translation>
        </message>
        <message>
            <source>, плавающая точка</source>
            <translation>, floating point</translation>
        </message>
        <message>
            <source>неизвестный подформат</source>
            <translation>unknown sub-format</translation>
        </message>
        <message>
            <source>формат 0x%1</source>
            <translation>format 0x%1</translation>
        </message>
        <message>
            <source>неверный размер блока</source>
            <translation>wrong block size</translation>
        </message>
        <message>
            <source>каналов: %1</source>
            <translation>channels: %1</translation>
        </message>
        <message>
            <source>видео QuickTime</source>
            <translation>QuickTime video</translation>
        </message>
        <message>
            <source>видео MP4</source>
            <translation>MP4 video</translation>
        </message>
        <message>
            <source>видео Ogg</source>
            <translation>Ogg video</translation>
        </message>
        <message>
            <source>видео AVI</source>
            <translation>AVI video</translation>
        </message>
        <message>
            <source>текстовый файл</source>
            <translation>a text file</translation>
        </message>
        <message>
            <source>неверный блок fmt</source>
            <translation>a wrong fmt chunk</translation>
        </message>
        <message>
            <source>нет блока fmt</source>
            <translation>no fmt chunk</translation>
        </message>
        <message>
            <source>нет блока данных</source>
            <translation>no data chunk</translation>
        </message>
        <message>
            <source>нет заголовка</source>
            <translation>no header</translation>
        </message>
    </context>
    <context>
        <name>TSourceRoute</name>
        <message>
            <source>формат не распознан</source>
            <translation>format not recognised</translation>
        </message>
        <message>
            <source>повреждённый WAV-файл</source>
            <translation>a damaged WAV file</translation>
        </message>
        <message>
            <source>Не MPEG-аудио: </source>
            <translation>Not MPEG audio: </translation>
        </message>
        <message>
            <source>WAV (%1)</source>
            <translation>WAV (%1)</translation>
        </message>
        <message>
            <source>Повреждённый WAV-файл: </source>
            <translation>Damaged WAV file: </translation>
        </message>
        <message>
            <source>Не WAV-файл: это %1 (включите «Сжимать также…»)</source>
            <translation>Not a WAV file: this is %1 (switch on “Also compress…”)</translation>
        </message>
        <message>
            <source>Не WAV-файл: </source>
            <translation>Not a WAV file: </translation>
        </message>
        <message>
            <source>это текстовый файл</source>
            <translation>this is a text file</translation>
        </message>
    </context>
    <context>
        <name>TOutputCheck</name>
        <message>
            <source>Результат короче исходного: %1 из %2</source>
            <translation>The result is shorter than the source: %1 of %2</translation>
        </message>
        <message>
            <source>Результат длиннее исходного: %1 из %2</source>
            <translation>The result is longer than the source: %1 of %2</translation>
        </message>
        <message>
            <source>Не удалось прочитать исходный файл: </source>
            <translation>Could not read the source file: </translation>
        </message>
        <message>
            <source>Не удалось прочитать результат: </source>
            <translation>Could not read the result: </translation>
        </message>
        <message>
            <source>Результат пуст: в нём нет звука MPEG</source>
            <translation>The result is empty: it holds no MPEG audio</translation>
        </message>
        <message>
            <source>Результат повреждён: посторонние данные с байта %1</source>
            <translation>The result is damaged: foreign data from byte %1</translation>
        </message>
        <message>
            <source>Результат повреждён: обрезан кадр с байта %1</source>
            <translation>The result is damaged: the frame at byte %1 is cut short</translation>
        </message>
        <message>
            <source>Результат обрезан: кадров %1 из %2</source>
            <translation>The result is cut short: %1 frames of %2</translation>
        </message>
        <message>
            <source>Результат повреждён: это не WAV-файл PCM</source>
            <translation>The result is damaged: it is no PCM WAV file</translation>
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
        <message>
            <source>Дополнительные параметры LAME:</source>
            <translation>Extra LAME options:</translation>
        </message>
        <message>
            <source>Параметры lame после параметров панели, например --lowpass 19; кавычки и \ как в командной строке</source>
            <translation>Options for lame after the panel's, for example --lowpass 19; quotes and \ as on a command line</translation>
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
            <source>Кодер не отвечает</source>
            <translation>The encoder does not respond</translation>
        </message>
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
        <message>
            <source>&amp;Журнал...</source>
            <translation>&amp;Log...</translation>
        </message>
        <message>
            <source>Открыть очередь...</source>
            <translation>Open queue...</translation>
        </message>
        <message>
            <source>Сохранить очередь...</source>
            <translation>Save queue...</translation>
        </message>
        <message>
            <source>Сохранение очереди</source>
            <translation>Save queue</translation>
        </message>
        <message>
            <source>Открытие очереди</source>
            <translation>Open queue</translation>
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
        <message>
            <source>Подробности — в журнале: «Очередь → Журнал»</source>
            <translation>Details are in the log: “Queue → Log”</translation>
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
    <context>
        <name>NameRules</name>
        <message>
            <source>Носитель %1 не принимает «%2»</source>
            <translation>%1 media do not take “%2”</translation>
        </message>
        <message>
            <source>Носитель %1 не принимает управляющие символы</source>
            <translation>%1 media do not take control characters</translation>
        </message>
        <message>
            <source>Носитель %1 не принимает точку или пробел в конце имени</source>
            <translation>%1 media do not take a dot or a space at the end of a name</translation>
        </message>
        <message>
            <source>Имя «%1» на носителе %2 зарезервировано для устройства</source>
            <translation>The name “%1” is reserved for a device on %2 media</translation>
        </message>
        <message>
            <source>Носитель %1 принимает имена не длиннее 255 знаков</source>
            <translation>%1 media take names of at most 255 characters</translation>
        </message>
        <message>
            <source>Часть пути «%1» заменена: файлы пишутся только в папку назначения</source>
            <translation>The path part “%1” was replaced: files are written only inside the target folder</translation>
        </message>
        <message>
            <source>На носителе %1 «%2» и «%3» — одна папка</source>
            <translation>On %1 media “%2” and “%3” are one folder</translation>
        </message>
    </context>
    <context>
        <name>LameOptions</name>
        <message>
            <source>входной и выходной файлы задаёт Tessary</source>
            <translation>Tessary sets the input and output files</translation>
        </message>
        <message>
            <source>обрабатывает сразу несколько файлов, а Tessary даёт lame по одному</source>
            <translation>it works on several files at once, and Tessary gives lame one at a time</translation>
        </message>
        <message>
            <source>режим (сжатие или декодирование) выбирается в главном окне</source>
            <translation>the mode (encoding or decoding) is chosen in the main window</translation>
        </message>
        <message>
            <source>относится к сырому PCM на входе, а Tessary подаёт lame WAV</source>
            <translation>it is for raw PCM input, and Tessary gives lame WAV</translation>
        </message>
        <message>
            <source>вид входного файла определяет Tessary</source>
            <translation>Tessary decides what kind of file the input is</translation>
        </message>
        <message>
            <source>скрыл бы ход работы, который показывает Tessary</source>
            <translation>it would hide the progress Tessary shows</translation>
        </message>
        <message>
            <source>теги задаются в редакторе тегов Tessary</source>
            <translation>the tags are set in Tessary's tag editor</translation>
        </message>
        <message>
            <source>lame только выведет сведения и завершится, ничего не сжав</source>
            <translation>lame would only print information and end without encoding anything</translation>
        </message>
        <message>
            <source>задаётся на панели: «Режим»</source>
            <translation>set on the panel: “Mode”</translation>
        </message>
        <message>
            <source>задаётся на панели: «Качество»</source>
            <translation>set on the panel: “Quality”</translation>
        </message>
        <message>
            <source>задаётся на панели: «Метод» и «Битрейт»</source>
            <translation>set on the panel: “Method” and “Bitrate”</translation>
        </message>
        <message>
            <source>заменил бы настройки панели: выберите «Профиль:»</source>
            <translation>it would replace the panel's settings: choose a “Profile:”</translation>
        </message>
        <message>
            <source>задаётся на панели: «Частота»</source>
            <translation>set on the panel: “Frequency”</translation>
        </message>
        <message>
            <source>задаётся на панели: «Обрабатывать все частоты»</source>
            <translation>set on the panel: “Keep all frequencies”</translation>
        </message>
        <message>
            <source>задаётся на панели: «Прочее»</source>
            <translation>set on the panel: “Other”</translation>
        </message>
        <message>
            <source>файл свободного формата Tessary не может проверить, и многие проигрыватели его не читают</source>
            <translation>Tessary cannot check a free-format file, and many players cannot read one</translation>
        </message>
        <message>
            <source>Параметр LAME «%1» не принят: %2.</source>
            <translation>LAME option “%1” refused: %2.</translation>
        </message>
        <message>
            <source>обратная косая черта в конце строки</source>
            <translation>a backslash at the very end</translation>
        </message>
        <message>
            <source>не закрыта одинарная кавычка</source>
            <translation>a single quote is not closed</translation>
        </message>
        <message>
            <source>не закрыта двойная кавычка</source>
            <translation>a double quote is not closed</translation>
        </message>
        <message>
            <source>такого параметра у lame нет</source>
            <translation>lame has no such option</translation>
        </message>
        <message>
            <source>не хватает его значения</source>
            <translation>its value is missing</translation>
        </message>
        <message>
            <source>Дополнительные параметры LAME длиннее %1 знаков.</source>
            <translation>The extra LAME options are longer than %1 characters.</translation>
        </message>
        <message>
            <source>Дополнительные параметры LAME: управляющие символы не допускаются.</source>
            <translation>Extra LAME options: control characters are not allowed.</translation>
        </message>
        <message>
            <source>Дополнительные параметры LAME: %1.</source>
            <translation>Extra LAME options: %1.</translation>
        </message>
    </context>
    <context>
        <name>TCompressPresets</name>
        <message>
            <source>Имя профиля пусто.</source>
            <translation>The profile's name is empty.</translation>
        </message>
        <message>
            <source>Имя профиля длиннее %1 знаков.</source>
            <translation>The profile's name is longer than %1 characters.</translation>
        </message>
        <message>
            <source>В имени профиля не может быть управляющих символов.</source>
            <translation>A profile's name cannot hold control characters.</translation>
        </message>
        <message>
            <source>Так называется встроенный профиль: выберите другое имя.</source>
            <translation>A built-in profile has that name: choose another one.</translation>
        </message>
        <message>
            <source>Профилей уже %1: удалите ненужный.</source>
            <translation>There are %1 profiles already: delete one you no longer need.</translation>
        </message>
    </context>
    <context>
        <name>TPresetBox</name>
        <message>
            <source>(свой)</source>
            <translation>(custom)</translation>
        </message>
        <message>
            <source>Сохранить профиль</source>
            <translation>Save profile</translation>
        </message>
        <message>
            <source>Имя профиля:</source>
            <translation>Profile name:</translation>
        </message>
        <message>
            <source>Профиль:</source>
            <translation>Profile:</translation>
        </message>
        <message>
            <source>Сохранить как…</source>
            <translation>Save as…</translation>
        </message>
        <message>
            <source>Удалить</source>
            <translation>Delete</translation>
        </message>
    </context>
    <context>
        <name>TGainStep</name>
        <message>
            <source>программа loudgain не найдена (пакет Debian loudgain)</source>
            <translation>the program loudgain was not found (Debian package loudgain)</translation>
        </message>
        <message>
            <source>файл результата не найден</source>
            <translation>the output file was not found</translation>
        </message>
        <message>
            <source>не удалось создать временный файл: </source>
            <translation>could not create a temporary file: </translation>
        </message>
        <message>
            <source>не удалось скопировать файл результата</source>
            <translation>could not copy the output file</translation>
        </message>
        <message>
            <source>не удалось скопировать файл результата: </source>
            <translation>could not copy the output file: </translation>
        </message>
        <message>
            <source>прервано</source>
            <translation>stopped</translation>
        </message>
        <message>
            <source>loudgain завершился аварийно</source>
            <translation>loudgain crashed</translation>
        </message>
        <message>
            <source>loudgain: код завершения </source>
            <translation>loudgain: exit code </translation>
        </message>
        <message>
            <source>loudgain не записал теги</source>
            <translation>loudgain wrote no tags</translation>
        </message>
        <message>
            <source>файл результата изменился за это время</source>
            <translation>the output file changed meanwhile</translation>
        </message>
        <message>
            <source>не удалось заменить файл результата: </source>
            <translation>could not replace the output file: </translation>
        </message>
    </context>
    <context>
        <name>TGainAlbums</name>
        <message>
            <source>ReplayGain: записано только усиление трека, не все дорожки альбома сжаты</source>
            <translation>ReplayGain: track gain only, not every track of the album was encoded</translation>
        </message>
    </context>
    <context>
        <name>TRunGain</name>
        <message>
            <source>ReplayGain не записан: %1</source>
            <translation>ReplayGain not written: %1</translation>
        </message>
        <message>
            <source>ReplayGain: %1</source>
            <translation>ReplayGain: %1</translation>
        </message>
    </context>
    <context>
        <name>FailureText</name>
        <message>
            <source>Недостаточно места на диске</source>
            <translation>Not enough space on the disk</translation>
        </message>
        <message>
            <source>Папка назначения доступна только для чтения</source>
            <translation>The target folder is read-only</translation>
        </message>
        <message>
            <source>Нет доступа: недостаточно прав</source>
            <translation>Access denied: not enough permissions</translation>
        </message>
        <message>
            <source>Не удалось создать файл результата</source>
            <translation>The output file could not be created</translation>
        </message>
        <message>
            <source>Не удалось прочитать исходный файл</source>
            <translation>The source file could not be read</translation>
        </message>
    </context>
    <context>
        <name>TRunLog</name>
        <message>
            <source>запуск</source>
            <translation>run of</translation>
        </message>
        <message>
            <source>заданий:</source>
            <translation>jobs:</translation>
        </message>
        <message>
            <source>режим:</source>
            <translation>mode:</translation>
        </message>
        <message>
            <source>декодирование</source>
            <translation>decoding</translation>
        </message>
        <message>
            <source>сжатие</source>
            <translation>encoding</translation>
        </message>
        <message>
            <source>Исходный файл:</source>
            <translation>Source:</translation>
        </message>
        <message>
            <source>Файл результата:</source>
            <translation>Output:</translation>
        </message>
        <message>
            <source>Причина:</source>
            <translation>Reason:</translation>
        </message>
        <message>
            <source>Итог</source>
            <translation>Result</translation>
        </message>
    </context>
    <context>
        <name>OutputSize</name>
        <message>
            <source>%1 КБ</source>
            <translation>%1 KB</translation>
        </message>
        <message>
            <source>%1 МБ</source>
            <translation>%1 MB</translation>
        </message>
    </context>
    <context>
        <name>TEndNotifier</name>
        <message>
            <source>Показать окно</source>
            <translation>Show the window</translation>
        </message>
    </context>
    <context>
        <name>TRunDesktop</name>
        <message>
            <source>Tessary: кодирование %1 файлов</source>
            <translation>Tessary: encoding %1 files</translation>
        </message>
    </context>
    <context>
        <name>TLogWindow</name>
        <message>
            <source>Журнал</source>
            <translation>Log</translation>
        </message>
        <message>
            <source>&amp;Запуск:</source>
            <translation>&amp;Run:</translation>
        </message>
        <message>
            <source>Журнал пуст: записи появятся после первого запуска.</source>
            <translation>The log is empty: entries appear after the first run.</translation>
        </message>
        <message>
            <source>&amp;Копировать всё</source>
            <translation>&amp;Copy all</translation>
        </message>
        <message>
            <source>Открыть &amp;папку</source>
            <translation>Open &amp;folder</translation>
        </message>
    </context>
    <context>
        <name>BatchMode</name>
        <message>
            <source>Использование:
  tessary --batch [ПАРАМЕТРЫ] ФАЙЛ|ПАПКА...   сжать без окна
  tessary --batch [ПАРАМЕТРЫ] --plan ФАЙЛ|-   выполнить задания плана
  tessary --plan [ПАРАМЕТРЫ] ФАЙЛ|ПАПКА...    вывести план, ничего не запуская

Параметры:
  --settings ФАЙЛ     файл настроек вместо файла пользователя
  --target ПАПКА      папка назначения
  --jobs N            заданий одновременно (0 — по числу ядер)
  --existing overwrite|skip|keep-both
                      что делать с уже существующими файлами результата
  --decode            декодирование MP3 в WAV
  --delete-source     удалять исходный файл после выполненного задания
  --json              по объекту JSON в строке на каждое событие

Строка плана: исходный файл, файл результата, отметки и номер трека,
через табуляцию; в путях \\ — обратная косая черта, \t — табуляция,
\n — перевод строки, \r — возврат каретки.
Код выхода: 0 — все задания выполнены или пропущены по выбору,
1 — есть ошибки, 2 — неверный вызов или запуск отклонён, 130 — прервано.
</source>
            <translation>Usage:
  tessary --batch [OPTIONS] FILE|FOLDER...   encode without a window
  tessary --batch [OPTIONS] --plan FILE|-   run the jobs of a plan
  tessary --plan [OPTIONS] FILE|FOLDER...    print the plan, run nothing

Options:
  --settings FILE     a settings file instead of the user's
  --target FOLDER     the target folder
  --jobs N            jobs at once (0: one per core)
  --existing overwrite|skip|keep-both
                      what to do with output files that exist already
  --decode            decode MP3 to WAV
  --delete-source     delete each source once its job is done
  --json              one JSON object a line for every event

A plan line: source file, output file, marks and track number,
separated by tabs; in paths \\ is a backslash, \t a tab,
\n a newline, \r a carriage return.
Exit status: 0 every job done or skipped by choice,
1 some job failed, 2 bad usage or start refused, 130 interrupted.
</translation>
        </message>
        <message>
            <source>файл плана не найден: %1</source>
            <translation>plan file not found: %1</translation>
        </message>
        <message>
            <source>не удалось открыть план: %1</source>
            <translation>cannot open the plan: %1</translation>
        </message>
        <message>
            <source>не файл текущего вида и не папка: %1</source>
            <translation>neither a file of the current kind nor a folder: %1</translation>
        </message>
        <message>
            <source>план, строка %1: %2</source>
            <translation>plan, line %1: %2</translation>
        </message>
        <message>
            <source>план, задание %1: %2: %3</source>
            <translation>plan, job %1: %2: %3</translation>
        </message>
        <message>
            <source>файлы результата уже существуют (%1):</source>
            <translation>output files exist already (%1):</translation>
        </message>
        <message>
            <source>запуск отменён: укажите --existing overwrite, skip или keep-both</source>
            <translation>not started: give --existing overwrite, skip or keep-both</translation>
        </message>
        <message>
            <source>справка: tessary --batch --help</source>
            <translation>help: tessary --batch --help</translation>
        </message>
        <message>
            <source>--queue пока не поддерживается</source>
            <translation>--queue is not supported yet</translation>
        </message>
        <message>
            <source>файл настроек не найден: %1</source>
            <translation>settings file not found: %1</translation>
        </message>
    </context>
    <context>
        <name>PlanFile</name>
        <message>
            <source>ожидалось 4 поля через табуляцию, найдено %1</source>
            <translation>expected 4 fields separated by tabs, found %1</translation>
        </message>
        <message>
            <source>путь содержит нулевой байт или неизвестную последовательность с обратной косой чертой</source>
            <translation>a path holds a NUL byte or an unknown backslash escape</translation>
        </message>
        <message>
            <source>путь длиннее %1 байт</source>
            <translation>a path is longer than %1 bytes</translation>
        </message>
        <message>
            <source>пути должны быть абсолютными</source>
            <translation>paths must be absolute</translation>
        </message>
        <message>
            <source>неизвестная отметка «%1»</source>
            <translation>unknown mark "%1"</translation>
        </message>
        <message>
            <source>задание не может быть одновременно перезаписано и пропущено</source>
            <translation>a job cannot be both overwritten and skipped</translation>
        </message>
        <message>
            <source>номер трека должен быть числом от 0 до 255</source>
            <translation>the track must be a number from 0 to 255</translation>
        </message>
        <message>
            <source>план больше %1 байт</source>
            <translation>the plan is larger than %1 bytes</translation>
        </message>
        <message>
            <source>строка длиннее %1 байт</source>
            <translation>the line is longer than %1 bytes</translation>
        </message>
        <message>
            <source>папка назначения задана не абсолютным путём</source>
            <translation>the target folder is not an absolute path</translation>
        </message>
        <message>
            <source>файл результата лежит вне папки назначения</source>
            <translation>the output lies outside the target folder</translation>
        </message>
        <message>
            <source>имя файла результата не оканчивается на %1</source>
            <translation>the output file name does not end in %1</translation>
        </message>
        <message>
            <source>файл результата совпадает с исходным</source>
            <translation>the output is the source itself</translation>
        </message>
    </context>
    <context>
        <name>TBatchOptions</name>
        <message>
            <source>параметру %1 нужно значение</source>
            <translation>option %1 needs a value</translation>
        </message>
        <message>
            <source>параметр %1 не принимает значения</source>
            <translation>option %1 takes no value</translation>
        </message>
        <message>
            <source>--jobs: ожидалось число от 0 до %1</source>
            <translation>--jobs: expected a number from 0 to %1</translation>
        </message>
        <message>
            <source>--existing: ожидалось overwrite, skip или keep-both</source>
            <translation>--existing: expected overwrite, skip or keep-both</translation>
        </message>
        <message>
            <source>неизвестный параметр: %1</source>
            <translation>unknown option: %1</translation>
        </message>
        <message>
            <source>параметру --plan нужно значение: файл плана или «-»</source>
            <translation>--plan needs a value: a plan file or "-"</translation>
        </message>
        <message>
            <source>не указаны файлы, папки, --plan или --queue</source>
            <translation>no files, folders, --plan or --queue given</translation>
        </message>
        <message>
            <source>файлы и папки, --plan и --queue нельзя сочетать</source>
            <translation>files and folders, --plan and --queue cannot be combined</translation>
        </message>
    </context>
    <context>
        <name>TConsoleRunView</name>
        <message>
            <source>Начато: %1 → %2</source>
            <translation>Started: %1 → %2</translation>
        </message>
        <message>
            <source>Готово: %1</source>
            <translation>Done: %1</translation>
        </message>
        <message>
            <source>Ошибка: %1: %2</source>
            <translation>Failed: %1: %2</translation>
        </message>
        <message>
            <source>Пропущено: %1: %2</source>
            <translation>Skipped: %1: %2</translation>
        </message>
        <message>
            <source>%1 из %2</source>
            <translation>%1 of %2</translation>
        </message>
        <message>
            <source>Итог: выполнено %1 из %2, ошибок: %3, пропущено: %4</source>
            <translation>Summary: %1 of %2 done, errors: %3, skipped: %4</translation>
        </message>
        <message>
            <source>, не запущено: %1</source>
            <translation>, not run: %1</translation>
        </message>
        <message>
            <source>, время: %1 с</source>
            <translation>, time: %1 s</translation>
        </message>
        <message>
            <source> (прервано)</source>
            <translation> (interrupted)</translation>
        </message>
    </context>
    <context>
        <name>TQueueFile</name>
        <message>
            <source>Файл очереди слишком велик (больше 64 МБ).</source>
            <translation>The queue file is too large (over 64 MB).</translation>
        </message>
        <message>
            <source>Файл очереди пуст.</source>
            <translation>The queue file is empty.</translation>
        </message>
        <message>
            <source>Это не файл очереди Tessary.</source>
            <translation>This is not a Tessary queue file.</translation>
        </message>
        <message>
            <source>Файл очереди повреждён или обрезан (ошибка в байте %1).</source>
            <translation>The queue file is damaged or cut short (error at byte %1).</translation>
        </message>
        <message>
            <source>Файл очереди записан более новой версией Tessary (формат %1); эта версия читает форматы до %2.</source>
            <translation>The queue file was written by a newer version of Tessary (format %1); this version reads formats up to %2.</translation>
        </message>
        <message>
            <source>В файле очереди больше %1 заданий.</source>
            <translation>The queue file holds more than %1 jobs.</translation>
        </message>
        <message>
            <source>Не удалось открыть файл очереди: %1</source>
            <translation>Could not open the queue file: %1</translation>
        </message>
        <message>
            <source>Не удалось прочитать файл очереди: %1</source>
            <translation>Could not read the queue file: %1</translation>
        </message>
    </context>
    <context>
        <name>TQueueKeeper</name>
        <message>
            <source>Восстановить</source>
            <translation>Restore</translation>
        </message>
        <message>
            <source>Удалить</source>
            <translation>Delete</translation>
        </message>
        <message>
            <source>Очереди Tessary (*%1)</source>
            <translation>Tessary queues (*%1)</translation>
        </message>
        <message>
            <source>Все файлы (*)</source>
            <translation>All files (*)</translation>
        </message>
        <message>
            <source>Восстановить очередь? После аварийного завершения осталось %1 заданий (%2 не обработаны).</source>
            <translation>Restore the queue? A crash left %1 jobs (%2 not processed).</translation>
        </message>
        <message>
            <source>Не удалось прочитать очередь, оставшуюся с прошлого запуска: %1
Файл сохранён как %2. Очередь начинается пустой.</source>
            <translation>The queue left by the last run could not be read: %1
The file was kept as %2. The queue starts empty.</translation>
        </message>
        <message>
            <source>Не удалось открыть очередь %1:
%2</source>
            <translation>Could not open the queue %1:
%2</translation>
        </message>
        <message>
            <source>Не удалось сохранить очередь в %1:
%2</source>
            <translation>Could not save the queue to %1:
%2</translation>
        </message>
    </context>
</TS>
