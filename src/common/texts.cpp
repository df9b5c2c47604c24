#include "common/texts.h"

#include <array>

namespace lang {

namespace {

// One row per identifier, in the order of the enumeration (a test walks it).
constexpr Pattern kTable[] = {
    {Id::kNone, "{1}", "{1}"},

    {Id::kQuestionLeftOut, "question left out: {1}", "вопрос пропущен: {1}"},
    {Id::kKindQuestionLeftOut, "{1} question left out: {2}", "{1} пропущен: {2}"},
    {Id::kKindMoodleType, "{1}", "вопрос типа {1}"},
    {Id::kKindUntyped, "untyped", "вопрос без типа"},
    {Id::kKindEmbeddedAnswer, "embedded-answer", "вопрос со встроенными ответами"},
    {Id::kKindEssay, "essay", "вопрос-эссе"},
    {Id::kKindNumerical, "numerical", "числовой вопрос"},
    {Id::kKindMatching, "matching", "вопрос на соответствие"},
    {Id::kKindShortAnswer, "short-answer", "вопрос с коротким ответом"},
    {Id::kKindMultipleChoice, "multiple-choice", "вопрос с выбором ответа"},
    {Id::kKindDescription, "description", "вопрос-описание"},
    {Id::kKindTrueFalse, "true/false", "вопрос «верно/неверно»"},
    {Id::kWhyAnswerNamesNoOption, "its ANSWER line names no option of it",
     "его строка ANSWER не называет ни одного из его вариантов"},
    {Id::kWhyFewerThanTwoOptions, "it has fewer than two options", "в нём меньше двух вариантов"},
    {Id::kWhyTextEmpty, "its text is empty", "его текст пуст"},
    {Id::kWhyNoAnswerLine, "it has no ANSWER line", "в нём нет строки ANSWER"},
    {Id::kWhyQuoteNotClosed, "a quote opened in it is never closed",
     "открытая в нём кавычка нигде не закрыта"},
    {Id::kWhySecondColumnNotNumbers, "its second column is not the numbers of the correct variants",
     "во втором столбце не номера верных вариантов"},
    {Id::kWhyCorrectNamesNoColumn, "correct variant {1} names no filled variant column",
     "верный вариант {1} указывает на незаполненный столбец вариантов"},
    {Id::kWhyTaskColumnEmpty, "its task column is empty", "столбец задания пуст"},
    {Id::kWhyBraceClosesNothing, "a '}' in it closes no answer block",
     "знак '}' в нём не закрывает никакого блока ответов"},
    {Id::kWhyBlockNotClosed, "its answer block has no closing '}'",
     "у его блока ответов нет закрывающей '}'"},
    {Id::kWhyOnlyChoiceQuestions, "the program asks only choice questions",
     "программа задаёт только вопросы с выбором ответа"},
    {Id::kWhyFewerThanTwoAnswers, "it has fewer than two answers", "в нём меньше двух ответов"},
    {Id::kWhyTooManyVariants, "it has {1} variants, the program holds {2}",
     "в нём {1} {1|вариант|варианта|вариантов}, а программа вмещает {2}"},
    {Id::kWhyTaskOnlyControls, "its task holds nothing but control characters",
     "в его задании одни управляющие символы"},
    {Id::kWhyTaskTooLong, "its task is {1} bytes in Windows-1251, the program holds {2}",
     "его задание занимает {1} {1|байт|байта|байт} в Windows-1251, а программа вмещает {2}"},
    {Id::kWhyVariantOnlyControls, "its variant {1} holds nothing but control characters",
     "в его варианте {1} одни управляющие символы"},
    {Id::kWhyVariantTooLong, "its variant {1} is {2} bytes in Windows-1251, the program holds {3}",
     "его вариант {1} занимает {2} {2|байт|байта|байт} в Windows-1251, а программа вмещает {3}"},
    {Id::kWhyTaskLikeByteOrderMark,
     "its task begins with what reads as a byte-order mark (\"яю\", \"юя\" or \"п»ї\"), and the "
     "file would begin with it",
     "его задание начинается с того, что читается как метка порядка байтов (\"яю\", \"юя\" или "
     "\"п»ї\"), а с него начинался бы файл"},
    {Id::kWhyLettersReadAsUtf8,
     "its letters in Windows-1251 are also UTF-8, as are all of its topic's, so the file would "
     "read as UTF-8 (mis-decoded text, \"Рё\" for \"и\"?)",
     "его буквы в Windows-1251 читаются и как UTF-8, как и все буквы его темы, так что файл "
     "читался бы как UTF-8 (неверно перекодированный текст, \"Рё\" вместо \"и\"?)"},
    {Id::kBlankLineBeforeCategory,
     "blank line missing before this category line: read as a new category",
     "перед этой строкой категории нет пустой строки: прочитана как новая категория"},
    {Id::kBlankLineBeforeQuestion,
     "blank line missing before this question: read as a new question",
     "перед этим вопросом нет пустой строки: прочитан как новый вопрос"},
    {Id::kAttachedFileDropped, "attached file '{1}' dropped: the program shows text only",
     "вложенный файл '{1}' не перенесён: программа показывает только текст"},
    {Id::kImageFileDropped, "image '{1}' dropped: the program shows text only",
     "изображение '{1}' не перенесено: программа показывает только текст"},
    {Id::kEmbeddedImageDropped, "embedded image dropped: the program shows text only",
     "встроенное изображение не перенесено: программа показывает только текст"},
    {Id::kTrueFalseNotNamed,
     "true/false answers not named 'true' and 'false': read in order, the first as true, as "
     "Moodle reads them",
     "ответы вопроса «верно/неверно» названы не 'true' и 'false': прочитаны по порядку, первый "
     "как «верно», как их читает Moodle"},
    {Id::kEmptyAnswerLeftOut, "empty answer left out", "пустой ответ пропущен"},
    {Id::kHtmlNotRead, "HTML text not read: {1}", "HTML-текст не прочитан: {1}"},
    {Id::kHtmlTooLong, "it is over {1} bytes", "он длиннее {1} {1|байта|байт|байт}"},
    {Id::kHtmlTooDeep, "it nests tags over {1} deep",
     "теги в нём вложены глубже {1} {1|уровня|уровней|уровней}"},
    {Id::kMediaDropped, "{1} dropped: the program shows text only",
     "не перенесено: {1} (программа показывает только текст)"},
    {Id::kMediaImage, "image", "изображение"},
    {Id::kMediaAudio, "audio", "аудиозапись"},
    {Id::kMediaVideo, "video", "видеозапись"},
    {Id::kMediaObject, "embedded object", "встроенный объект"},
    {Id::kMediaFrame, "embedded frame", "встроенный фрейм"},
    {Id::kMediaLink, "link to attached file '{1}'", "ссылка на вложенный файл '{1}'"},
    {Id::kMediaWithFile, "{1} '{2}'", "{1} '{2}'"},
    {Id::kControlsRemoved,
     "{1} control {1|character|characters} ({2}{3}) removed: the program's texts hold none",
     "{1|удалён|удалены|удалены} {1} {1|управляющий символ|управляющих символа|управляющих "
     "символов} ({2}{3}): в текстах программы их не бывает"},
    {Id::kQuestionMarkPutIn, "'?' put in for {1}: Windows-1251 has no such character",
     "'?' вместо {1}: в Windows-1251 нет такого символа"},
    {Id::kMalformedUtf8, "a malformed UTF-8 sequence", "неверной последовательности UTF-8"},
    {Id::kTitleOnlyControls, "the title holds nothing but control characters: titled \"{1}\"",
     "в названии одни управляющие символы: дано название \"{1}\""},
    {Id::kTitleCut, "title cut from {1} to {2} bytes: the program holds no more",
     "название сокращено с {1} до {2} байт: больше программа не вмещает"},
    {Id::kTitleWrittenUntitled, "title \"{1}\" written as \"{2}\": {3}",
     "название \"{1}\" записано как \"{2}\": {3}"},
    {Id::kWhyTitleLikeByteOrderMark, "it begins with what reads as a byte-order mark",
     "оно начинается с того, что читается как метка порядка байтов"},
    {Id::kWhyTitleReadsAsUtf8,
     "in Windows-1251 it is also UTF-8, as are all titles, so the file would read as UTF-8",
     "в Windows-1251 оно читается и как UTF-8, как и все названия, так что файл читался бы как "
     "UTF-8"},
    {Id::kTopicBeyondLimit,
     "topic '{1}' left out with its {2} questions: a discipline holds at most {3} topics",
     "тема '{1}' пропущена вместе с {2} {2|вопросом|вопросами|вопросами}: в дисциплине не "
     "больше {3} тем"},
    {Id::kControlsAsQuestionMarks, "{1} control {1|character|characters} in the {2} written as '?'",
     "{1} {1|управляющий символ|управляющих символа|управляющих символов} в {2} {1|записан|"
     "записаны|записаны} как '?'"},
    {Id::kFieldTask, "task", "задании"},
    {Id::kFieldVariant, "variant", "варианте"},
    {Id::kFieldDisciplineTitle, "discipline's title", "названии дисциплины"},
    {Id::kFieldTopicTitle, "topic's title", "названии темы"},
    {Id::kTopicFileUnreadable,
     "left out: the topic \"{1}\": its question file \"{2}\" cannot be read",
     "пропущена тема \"{1}\": её файл вопросов \"{2}\" не читается"},
    {Id::kTopicWithoutQuestions, "left out: the topic \"{1}\" has no question",
     "пропущена тема \"{1}\": в ней нет вопросов"},
    {Id::kExportLeftOut, "left out: {1}", "вопрос не записан: {1}"},
    {Id::kWhyExportTaskEmpty,
     "the task is empty (a blank line in the question file?); every format needs one",
     "задание пусто (пустая строка в файле вопросов?), а оно нужно в любом формате"},
    {Id::kWhyExportVariantEmpty, "variant {1} is empty, and an empty answer is dropped on reading",
     "вариант {1} пуст, а пустой ответ при чтении отбрасывается"},
    {Id::kWhyMoodleSingleVariant,
     "a single variant: a Moodle multiple-choice question needs at least two",
     "вариант только один: вопросу Moodle с выбором ответа нужно не меньше двух"},
    {Id::kWhyMoodleNoCorrect, "no correct variant: a Moodle multiple-choice question needs one",
     "нет верного варианта: вопросу Moodle с выбором ответа нужен хотя бы один"},
    {Id::kWhyAikenNoVariants, "no variants: Aiken has no description questions",
     "нет вариантов: в Aiken не бывает вопросов-описаний"},
    {Id::kWhyAikenSingleVariant, "a single variant: Aiken needs at least two",
     "вариант только один: Aiken нужно не меньше двух"},
    {Id::kWhyAikenCorrectCount, "{1} correct variants: Aiken takes exactly one",
     "{1} {1|верный вариант|верных варианта|верных вариантов}: Aiken принимает ровно один"},
    {Id::kWhyAikenTaskLikeOption, "the task begins like an Aiken option (\"{1}\")",
     "задание начинается как вариант Aiken (\"{1}\")"},
    {Id::kWhyAikenTaskLikeAnswer, "the task begins like the Aiken answer line (\"ANSWER:\")",
     "задание начинается как строка ответа Aiken (\"ANSWER:\")"},
    {Id::kWhyAikenTaskOneCharacter, "a task of one character: Moodle's Aiken reader passes over it",
     "задание из одного символа: Moodle, читая Aiken, его пропускает"},
    {Id::kCategoryRenamed,
     "{1}: its category is \"{2}\", so that it comes back as a topic of its own",
     "{1}: её категория — \"{2}\", чтобы она вернулась отдельной темой"},
    {Id::kTopicUntitled, "the topic has no title", "у темы нет названия"},
    {Id::kTopicTitleRepeated, "the topic's title repeats an earlier one",
     "название темы повторяет одно из прежних"},
    {Id::kReadAsEncoding, "read as {1}", "прочитан как {1}"},
    {Id::kUndecodable, "{1} {1|sequence|sequences} not valid in {2}: each written as '?'",
     "{1} {1|последовательность|последовательности|последовательностей} байтов не {1|читается|"
     "читаются|читаются} в {2}: {1|записана|записаны|записаны} как '?'"},
    {Id::kSpaceBeforeSign,
     "variant {1} begins with '{2}': written after a space, or the program would take it for "
     "the variant's mark",
     "вариант {1} начинается с '{2}': записан после пробела, иначе программа приняла бы знак "
     "за отметку варианта"},
    {Id::kNoPositiveAnswer, "no answer has a positive weight: written with no variant to tick",
     "ни у одного ответа нет положительного веса: записан без верных вариантов"},
    {Id::kAikenLettersLookAlike,
     "Cyrillic option letters read as the Latin letters they look like (А = A, В = B, С = C...)",
     "русские буквы вариантов прочитаны как похожие латинские (А = A, В = B, С = C...)"},
    {Id::kAikenLettersAlphabet, "Cyrillic option letters read in alphabet order (А, Б, В, Г...)",
     "русские буквы вариантов прочитаны по порядку алфавита (А, Б, В, Г...)"},
    {Id::kWhyAnswerLetterNotOption, "its ANSWER line names '{1}', none of its option letters ({2})",
     "его строка ANSWER называет '{1}', а буквы его вариантов — {2}"},
    {Id::kWhyOptionLettersMixed,
     "its option letters mix Latin and Cyrillic letters ({1}) in no order that reads",
     "буквы его вариантов смешивают латинские и русские ({1}) без порядка, который можно "
     "прочитать"},
    {Id::kMediaLinkedFile, "link to sound or video file '{1}'",
     "ссылка на звуковой или видеофайл '{1}'"},
    {Id::kXmlExternalEntity,
     "external entity {1} ({2}) not read: no other file is read with the input",
     "внешняя сущность {1} ({2}) не прочитана: другие файлы вместе с входным не читаются"},
    {Id::kXmlExternalDtd,
     "external DTD '{1}' not read: entities declared only there stay as written",
     "внешний DTD '{1}' не прочитан: сущности, объявленные только в нём, оставлены как есть"},
    {Id::kXmlEntityNotExpanded, "entity '&{1};' declared nowhere in the file: kept as written",
     "сущность '&{1};' нигде в файле не объявлена: оставлена как есть"},
    {Id::kOfficeNotZip, "it is not a zip archive, as a {1} file is",
     "это не zip-архив, каким бывает файл {1}"},
    {Id::kOfficeTooManyParts, "it holds more than {1} parts",
     "в нём больше {1} частей"},
    {Id::kOfficePartTooLarge, "its part {1} inflates past {2} MB",
     "его часть {1} распаковывается больше чем в {2} МБ"},
    {Id::kOfficeTooLarge, "its parts inflate past {1} MB in all",
     "его части распаковываются больше чем в {1} МБ"},
    {Id::kOfficeDamaged, "its part {1} cannot be inflated (damaged or encrypted)",
     "его часть {1} не распаковывается (повреждена или зашифрована)"},
    {Id::kOfficeMissing, "it has no part {1}",
     "в нём нет части {1}"},
    {Id::kOfficeXml, "its part {1} is not well-formed XML: line {2}: {3}",
     "его часть {1} не является правильным XML: строка {2}: {3}"},
    {Id::kOfficeLegacy, "a legacy {1} file, not a zip: save the file in the {2} format",
     "файл старого формата {1}: сохраните файл в формате {2}"},
    {Id::kDocxNoQuestion, "no question found: no paragraph is numbered, lettered, begun by \"Вопрос\" or \"Q:\" or holds <question>, and no table's first row names \"Вопрос\" and \"Ответ\"",
     "вопросов не найдено: ни один абзац не пронумерован, не начинается с \"Вопрос\" или \"Q:\", не содержит <question>, и ни в одной таблице первая строка не называет \"Вопрос\" и \"Ответ\""},
    {Id::kXlsxNoSheet, "it has no worksheet",
     "в нём нет ни одного листа"},
    {Id::kXlsxHeader, "sheet '{1}' has the header \"{2}\": neither Exameo's columns (Задание, Верные, Вариант 1..12) nor Вопрос, Ответ, Варианты",
     "у листа '{1}' заголовок \"{2}\": это ни столбцы Exameo (Задание, Верные, Вариант 1..12), ни Вопрос, Ответ, Варианты"},
    {Id::kParagraphLeftOut, "paragraph left out: {1}",
     "абзац пропущен: {1}"},
    {Id::kTextBoxLeftOut, "text in a text box left out: {1}",
     "текст в надписи пропущен: {1}"},
    {Id::kCommentLeftOut, "comment left out: {1}",
     "примечание пропущено: {1}"},
    {Id::kFootnoteLeftOut, "footnote left out: {1}",
     "сноска пропущена: {1}"},
    {Id::kMediaEquation, "Word equation '{1}'",
     "формула Word '{1}'"},
    {Id::kWhyNoAnswerMarked, "no answer of it is marked right",
     "ни один его ответ не отмечен как верный"},
    {Id::kWhyNoAnswers, "it has no answers",
     "у него нет ответов"},
    {Id::kWhyAnswerLineNamesNone, "its line '{1}' names no answer of it",
     "его строка '{1}' не называет ни одного его ответа"},
    {Id::kAnswerLineDecides, "the line '{1}' decides the right answers: a mark before it named others",
     "верные ответы решает строка '{1}': пометка перед ней указывала другие"},
    {Id::kWhyAnswerNotAmongVariants, "its answer '{1}' names no variant of it",
     "его ответ '{1}' не указывает ни на один вариант"},
    {Id::kWhyQuestionCellEmpty, "its question cell is empty",
     "ячейка вопроса пуста"},
    {Id::kSheetHiddenLeftOut, "hidden sheet '{1}' left out",
     "скрытый лист '{1}' пропущен"},
    {Id::kSheetRenamed, "topic '{1}' written as sheet '{2}': a sheet's name holds at most 31 characters, none of : \\ / ? * [ ], and no other sheet's",
     "тема '{1}' записана как лист '{2}': имя листа — не больше 31 символа, без : \\ / ? * [ ] и не как у другого листа"},
    {Id::kFormulaNoValue, "cell {1}: a formula whose value was never computed: read as empty",
     "ячейка {1}: формула, значение которой не вычислено: прочитана как пустая"},

    {Id::kFolderNotCreated, "{1}: cannot create the folder", "{1}: не удаётся создать папку"},
    {Id::kNotAFolder, "{1}: not a folder", "{1}: это не папка"},
    {Id::kFolderNotListed, "{1}: cannot list the folder",
     "{1}: не удаётся прочитать содержимое папки"},
    {Id::kFolderFull, "{1}: holds {2} disciplines; the program shows at most {3}",
     "{1}: в ней {2} {2|дисциплина|дисциплины|дисциплин}, а программа показывает не больше {3}"},
    {Id::kFolderNotWritable, "{1}: cannot write in the folder", "{1}: запись в папку невозможна"},
    {Id::kFileNotWritten, "{1}: cannot write {2}", "{1}: не удаётся записать {2}"},
    {Id::kNotMovedIntoPlace, "{1}: cannot move into place (did it appear meanwhile?)",
     "{1}: не удаётся поставить на место (не появился ли он тем временем?)"},
    {Id::kXmlTooMuchMarkup,
     "1: too much markup to read: its elements would take {1} MiB in memory, the most read is {2} "
     "MiB",
     "1: слишком много разметки: её элементы заняли бы в памяти {1} МиБ, а читается не больше {2} "
     "МиБ"},
    {Id::kXmlError, "{1}: XML error: {2}", "{1}: ошибка XML: {2}"},
    {Id::kXmlNotQuiz, "{1}: not a Moodle XML quiz: the root element is not <quiz>",
     "{1}: это не тест Moodle XML: корневой элемент не <quiz>"},
    {Id::kXmlEntitiesTooLarge,
     "{1}: XML error: its entities expand to over {2} MiB (nested entities that multiply, a "
     "\"billion laughs\"?)",
     "{1}: ошибка XML: его сущности разворачиваются больше чем в {2} МиБ (вложенные сущности, "
     "которые множатся, «миллиард смешков»?)"},
    {Id::kExportGivenFolder, "a folder: give a description file (Base\\N.txt) or a question file",
     "это папка: укажите файл описания (Base\\N.txt) или файл вопросов"},
    {Id::kCannotReadFile, "cannot read the file", "файл не читается"},
    {Id::kCannotCopyFile, "cannot write a temporary copy of the file",
     "не удаётся записать временную копию файла"},
    {Id::kCannotEnterTemporary, "cannot enter a temporary folder",
     "не удаётся перейти во временную папку"},
    {Id::kCannotEnterBaseFolder, "cannot enter the folder of the description file",
     "не удаётся перейти в папку файла описания"},

    {Id::kExportHelp,
     "Usage: exameo-export [--format gift|moodle-xml|aiken|csv|xlsx] [--questions | --topics]\n"
     "                     [-o OUT] PATH\n"
     "\n"
     "Writes the questions of an Exameo bank in a format that Moodle or a spreadsheet\n"
     "reads, UTF-8, to OUT or to standard output. The bank is read as the program\n"
     "reads it, so what goes out is what the program shows.\n"
     "\n"
     "PATH is a question file (one topic) or a description file Base\\N.txt (the\n"
     "whole discipline: in GIFT and Moodle XML every topic becomes a category\n"
     "Discipline/Topic). A *.txt directly in a folder named Base is taken for a\n"
     "description file, as the program finds them, any other file for a question\n"
     "file; --questions or --topics says which it is.\n"
     "\n"
     "--format  gift (default), moodle-xml, aiken, csv or xlsx; without it, OUT's\n"
     "          extension decides (.gift .txt, .xml, .aiken, .csv, .xlsx).\n"
     "-o OUT    the file to write (replaced whole); standard output without it.\n"
     "--questions, --topics  PATH is a question file, or a description file.\n"
     "\n"
     "One correct variant becomes a single-answer question; several correct ones\n"
     "share 100% between them and every wrong one costs -100%; a question without\n"
     "variants becomes a description. A question the format cannot carry is left\n"
     "out and reported as FILE:LINE: why (GIFT and Moodle XML need at least two\n"
     "variants and a correct one, or none at all; Aiken exactly one correct of two\n"
     "or more; every format a task and no empty variant). CSV has a byte order\n"
     "mark, ';' between fields and a header row: task; numbers of the correct\n"
     "variants; variants 1 to 12. XLSX (only with -o) has the same columns, one\n"
     "sheet per topic of a description file.\n"
     "\n"
     "A UTF-8 bank (files with a byte order mark) is read as UTF-8, its pictures\n"
     "![alt](path) with it: Moodle XML carries each as an attached file (base64) the\n"
     "text shows, GIFT as an HTML text whose <img> names a copy in OUT's folder\n"
     "NAME-pictures (with -o; named on stderr); CSV, Aiken and GIFT on standard output\n"
     "keep the text ![alt](path) and say so. A picture whose file is missing is\n"
     "reported, its alt text put in.\n"
     "\n"
     "Exit status: 0 when every question was written, 1 when some were left out,\n"
     "2 when nothing was written (wrong command line, unreadable input, no question\n"
     "the format carries, output that cannot be written): OUT is then left as it was.\n",
     "Использование: exameo-export [--format gift|moodle-xml|aiken|csv|xlsx]\n"
     "                             [--questions | --topics] [-o ФАЙЛ] ПУТЬ\n"
     "\n"
     "Записывает вопросы банка Exameo в формате, который читают Moodle или\n"
     "электронные таблицы, в кодировке UTF-8, в ФАЙЛ или в стандартный вывод. Банк\n"
     "читается так же, как его читает программа, поэтому записывается ровно то, что\n"
     "программа показывает.\n"
     "\n"
     "ПУТЬ — файл вопросов (одна тема) или файл описания Base\\N.txt (вся\n"
     "дисциплина: в GIFT и Moodle XML каждая тема становится категорией\n"
     "Дисциплина/Тема). Файл *.txt прямо в папке Base считается файлом описания,\n"
     "как их находит программа, любой другой — файлом вопросов; --questions или\n"
     "--topics говорят, что это за файл.\n"
     "\n"
     "--format  gift (по умолчанию), moodle-xml, aiken, csv или xlsx; без него\n"
     "          формат выбирается по расширению ФАЙЛА (.gift .txt, .xml, .aiken,\n"
     "          .csv, .xlsx).\n"
     "-o ФАЙЛ   файл для записи (заменяется целиком); без него — стандартный вывод.\n"
     "--questions, --topics  ПУТЬ — файл вопросов или файл описания.\n"
     "\n"
     "Один верный вариант даёт вопрос с одним ответом; несколько верных делят\n"
     "между собой 100%, а каждый неверный стоит -100%; вопрос без вариантов\n"
     "становится описанием. Вопрос, который формат не может передать, пропускается,\n"
     "и сообщается ФАЙЛ:СТРОКА: причина (GIFT и Moodle XML нужны не меньше двух\n"
     "вариантов и хотя бы один верный или ни одного варианта; Aiken — ровно один\n"
     "верный из двух или больше; любому формату — задание и ни одного пустого\n"
     "варианта). CSV записывается с меткой порядка байтов, ';' между полями и\n"
     "строкой заголовка: задание; номера верных вариантов; варианты с 1 по 12.\n"
     "XLSX (только с -o) — те же столбцы, по листу на каждую тему файла описания.\n"
     "\n"
     "Банк в UTF-8 (файлы с меткой порядка байтов) читается как UTF-8, вместе с\n"
     "рисунками ![подпись](путь): Moodle XML переносит каждый как вложенный файл\n"
     "(base64), который показывает текст, GIFT — как HTML-текст, чей <img> называет\n"
     "копию в папке ИМЯ-pictures рядом с ФАЙЛОМ (с -o; она называется в stderr);\n"
     "CSV, Aiken и GIFT в стандартный вывод оставляют текст ![подпись](путь) и\n"
     "сообщают об этом. Рисунок без файла называется в отчёте, вместо него пишется\n"
     "подпись.\n"
     "\n"
     "Код выхода: 0, если записаны все вопросы, 1, если некоторые пропущены,\n"
     "2, если ничего не записано (неверная командная строка, нечитаемый вход, ни\n"
     "одного вопроса, который формат может передать, ФАЙЛ не записывается): тогда\n"
     "ФАЙЛ остаётся прежним.\n"},
    {Id::kExportTryHelp, "exameo-export: {1}\nTry 'exameo-export --help'.\n",
     "exameo-export: {1}\nСправка: exameo-export --help\n"},
    {Id::kExportFormatNeedsValue, "--format needs a format", "после --format нужен формат"},
    {Id::kExportUnknownFormat, "unknown format '{1}' (gift, moodle-xml, aiken, csv or xlsx)",
     "неизвестный формат '{1}' (gift, moodle-xml, aiken, csv или xlsx)"},
    {Id::kExportNeedsOutputFile, "{1} is written only into a file: name it with -o FILE",
     "{1} записывается только в файл: укажите его через -o ФАЙЛ"},
    {Id::kExportNotWritten, "exameo-export writes no {1}: gift, moodle-xml, aiken, csv or xlsx",
     "exameo-export не записывает {1}: только gift, moodle-xml, aiken, csv или xlsx"},
    {Id::kExportKindsExclusive, "--questions and --topics exclude each other",
     "--questions и --topics исключают друг друга"},
    {Id::kExportOutputNeedsFile, "-o needs a file", "после -o нужен файл"},
    {Id::kExportOutputTwice, "-o given twice", "-o указан дважды"},
    {Id::kUnknownOption, "unknown option '{1}'", "неизвестный параметр '{1}'"},
    {Id::kExportOnePath, "one PATH only (a question file or a description file)",
     "ПУТЬ только один (файл вопросов или файл описания)"},
    {Id::kExportNoPath, "no question file or description file to export",
     "не указан файл вопросов или файл описания"},
    {Id::kExportWouldReplaceInput,
     "exameo-export: {1}: the output would replace the bank it is made from\n",
     "exameo-export: {1}: записанный файл заменил бы банк, из которого он сделан\n"},
    {Id::kExportCannotWriteBeside, "cannot write a file in its folder (no room or no permission?)",
     "не удаётся записать файл в его папку (нет места или прав?)"},
    {Id::kExportCannotReplace, "cannot replace the file", "не удаётся заменить файл"},
    {Id::kExportNothingNoQuestion, "exameo-export: nothing written: the bank holds no question\n",
     "exameo-export: ничего не записано: в банке нет вопросов\n"},
    {Id::kExportNothingCarried,
     "exameo-export: nothing written: the format carries none of its questions\n",
     "exameo-export: ничего не записано: формат не может передать ни одного его вопроса\n"},
    {Id::kExportCannotWriteStdout, "exameo-export: cannot write to standard output\n",
     "exameo-export: не удаётся писать в стандартный вывод\n"},
    {Id::kExportTitlesChanged, ", {1} topic {1|title|titles} changed for their categories",
     ", {1} {1|название темы изменено|названия тем изменены|названий тем изменены} для их "
     "категорий"},
    {Id::kExportSummary,
     "exameo-export: {1} of {2} questions written, {3} left out{4}; {5} {5|note|notes}\n",
     "exameo-export: записано вопросов: {1} из {2}, пропущено: {3}{4}; {5} "
     "{5|замечание|замечания|замечаний}\n"},
    {Id::kToolPathFailure, "{1}: {2}: {3}\n", "{1}: {2}: {3}\n"},

    {Id::kImportHelp,
     "Usage: exameo-import [--format gift|aiken|moodle-xml|csv|docx|xlsx] [--encoding E]\n"
     "                     [--title TITLE] [--utf8] INPUT... FOLDER\n"
     "Makes each INPUT a new discipline in FOLDER/Base (created when missing).\n"
     "  --format F   read every INPUT as F instead of telling by its extension\n"
     "               (.gift, .aiken, .xml, .csv, .docx, .xlsx; a .txt by its content)\n"
     "  --encoding E read every INPUT in E: utf-8, windows-1251, koi8-r, utf-16le or\n"
     "               utf-16be; else a byte order mark tells, then an XML file's\n"
     "               declaration, then UTF-16 by its zero bytes, UTF-8 when the file\n"
     "               reads as UTF-8, and Windows-1251 otherwise (remarked)\n"
     "  --title T    the discipline's title (one INPUT only); else the file's name\n"
     "  --utf8       write every file in UTF-8, not only those that need it\n"
     "\n"
     "What comes in: multiple-choice questions (one or several right answers), true/false\n"
     "(variants \"Верно\" and \"Неверно\") and descriptions (a card without variants).\n"
     "Each INPUT becomes Base\\N.txt (the smallest free N), each of its categories a topic\n"
     "Base\\dN\\K.txt. A file is Windows-1251, or UTF-8 (with a byte order mark) when a\n"
     "text needs a character Windows-1251 lacks or shows a picture. HTML becomes plain\n"
     "text; TeX formulas (\\(...\\), \\[...\\], $$...$$) become Unicode text (x², √x, π, ≤);\n"
     "pictures (Moodle XML's attached files and <image>, <img> of a file beside INPUT)\n"
     "go into Base\\dN\\K\\ and stand in the text as ![alt](K/name); a text that only\n"
     "looks like that is written !\\[.\n"
     "\n"
     "Left out, each noted on stderr as INPUT:LINE: what and why:\n"
     "  every other type (essay, numerical, matching, short answer, embedded answers);\n"
     "  questions over the program's limits (12 variants, a task of 2047 bytes, a variant\n"
     "  of 1023, in bytes of the file's encoding), topics beyond 128, sound, video and\n"
     "  pictures that cannot be read; control characters are removed, titles over 1023\n"
     "  bytes are cut.\n"
     "Remarked on stderr the same way, losing nothing: what was read otherwise than written\n"
     "(a missing blank line, Cyrillic Aiken letters, a guessed encoding, a space before a\n"
     "variant's leading '+' or '-', a choice question with no right answer, a TeX command\n"
     "kept as written).\n"
     "Dropped by design and only counted: question names, feedback, partial-credit weights\n"
     "beyond their sign, formatting marks.\n"
     "\n"
     "All or nothing per INPUT: an INPUT that cannot be read or gives no question writes\n"
     "nothing and is named in the summary; the others are written. Base shows at most 64\n"
     "disciplines: INPUTs take the free places in order, the rest write nothing. Nothing\n"
     "that exists is overwritten.\n"
     "\n"
     "Exit status: 0 everything written; 1 written, with losses or INPUTs that wrote\n"
     "nothing (remarks alone give 0); 2 nothing written.\n",
     "Использование: exameo-import [--format gift|aiken|moodle-xml|csv|docx|xlsx] [--encoding E]\n"
     "                             [--title НАЗВАНИЕ] [--utf8] ВХОД... ПАПКА\n"
     "Делает каждый ВХОД новой дисциплиной в ПАПКА/Base (создаётся, если её нет).\n"
     "  --format F   читать каждый ВХОД как F, а не определять формат по расширению\n"
     "               (.gift, .aiken, .xml, .csv, .docx, .xlsx; файл .txt — по содержимому)\n"
     "  --encoding E читать каждый ВХОД в кодировке E: utf-8, windows-1251, koi8-r,\n"
     "               utf-16le, utf-16be; иначе её определяет метка порядка байтов, затем\n"
     "               объявление файла XML, затем нулевые байты UTF-16; файл, который\n"
     "               читается как UTF-8, — UTF-8, прочие — Windows-1251 (с замечанием)\n"
     "  --title T    название дисциплины (только для одного ВХОДА); иначе — имя файла\n"
     "  --utf8       писать все файлы в UTF-8, а не только те, которым это нужно\n"
     "\n"
     "Что переносится: вопросы с выбором ответа (один или несколько верных), вопросы\n"
     "«верно/неверно» (варианты \"Верно\" и \"Неверно\") и описания (карточка без\n"
     "вариантов). Каждый ВХОД становится файлом Base\\N.txt (наименьший свободный N),\n"
     "каждая его категория — темой Base\\dN\\K.txt. Файл пишется в Windows-1251 или, если\n"
     "тексту нужен символ, которого в ней нет, или рисунок, в UTF-8 (с меткой порядка\n"
     "байтов). HTML становится простым текстом; формулы TeX (\\(...\\), \\[...\\], $$...$$)\n"
     "— текстом Unicode (x², √x, π, ≤); рисунки (вложенные файлы и <image> Moodle XML,\n"
     "<img> с файлом рядом со ВХОДОМ) кладутся в Base\\dN\\K\\ и стоят в тексте как\n"
     "![подпись](K/имя); текст, который лишь похож на это, пишется как !\\[.\n"
     "\n"
     "Пропускается, и о каждом случае сообщается в stderr как ВХОД:СТРОКА: что и почему:\n"
     "  вопросы всех прочих типов (эссе, числовые, на соответствие, с коротким ответом,\n"
     "  со встроенными ответами); вопросы сверх пределов программы (12 вариантов,\n"
     "  задание в 2047 байт, вариант в 1023 — в байтах кодировки файла), темы после\n"
     "  128-й, звук, видео и рисунки, которые не читаются; управляющие символы\n"
     "  удаляются, названия длиннее 1023 байт сокращаются.\n"
     "Замечания выводятся так же и ничего не теряют: прочитанное не так, как написано\n"
     "(нет пустой строки, русские буквы вариантов Aiken, угаданная кодировка, пробел перед\n"
     "'+' или '-' в начале варианта, вопрос с выбором без верного ответа, команда TeX,\n"
     "оставленная как есть).\n"
     "Отбрасывается намеренно и только подсчитывается: названия вопросов, отзывы, веса\n"
     "частичных баллов (кроме знака), пометки форматирования.\n"
     "\n"
     "Всё или ничего для каждого ВХОДА: ВХОД, который не читается или не даёт ни одного\n"
     "вопроса, ничего не записывает и называется в итоге; остальные записываются. Base\n"
     "показывает не больше 64 дисциплин: ВХОДЫ по порядку занимают свободные места,\n"
     "остальные ничего не записывают. Ничто существующее не перезаписывается.\n"
     "\n"
     "Код выхода: 0 — записано всё; 1 — записано, но с потерями или ВХОДАМИ, которые\n"
     "ничего не записали (одни замечания дают 0); 2 — ничего не записано.\n"},
    {Id::kImportComplaint, "exameo-import: {1}\n", "exameo-import: {1}\n"},
    {Id::kImportUnknownFormat, "unknown format '{1}'", "неизвестный формат '{1}'"},
    {Id::kImportUnknownOption, "unknown option {1}", "неизвестный параметр {1}"},
    {Id::kImportNoInput, "name at least one INPUT and the FOLDER",
     "укажите хотя бы один ВХОД и ПАПКУ"},
    {Id::kImportTitleOneInput, "--title goes with one INPUT only",
     "--title указывается только с одним ВХОДОМ"},
    {Id::kImportTitleEmpty, "--title is empty", "название в --title пусто"},
    {Id::kImportNoFolder, "{1}: no such folder; nothing written\n",
     "{1}: нет такой папки; ничего не записано\n"},
    {Id::kImportCannotList, "{1}: cannot list the folder; nothing written\n",
     "{1}: не удаётся прочитать содержимое папки; ничего не записано\n"},
    {Id::kImportCannotWrite, "{1}; nothing written\n", "{1}; ничего не записано\n"},
    {Id::kImportNothingWritten, "exameo-import: nothing written\n",
     "exameo-import: ничего не записано\n"},
    {Id::kInputSays, "{1}: {2}\n", "{1}: {2}\n"},
    {Id::kInputFormatHint,
     "cannot tell the format: name the file .gift, .aiken, .xml, .csv, .docx or .xlsx, or use "
     "--format",
     "формат не распознан: дайте файлу расширение .gift, .aiken, .xml, .csv, .docx или .xlsx "
     "либо укажите --format"},
    {Id::kInputUnlisted, "{1}: {2} more losses not listed\n",
     "{1}: ещё {2} {2|потеря не показана|потери не показаны|потерь не показаны}\n"},
    {Id::kRefusedUnreadable, "cannot read the file", "файл не читается"},
    {Id::kRefusedUnknownFormat, "cannot tell the format", "формат не распознан"},
    {Id::kRefusedParser, "the XML parser rejects it", "разбор XML его не принимает"},
    {Id::kRefusedNoQuestion, "no question to import", "нет вопросов, которые можно добавить"},
    {Id::kRefusedTooMany, "Base would hold more than {1} disciplines, the most the program shows",
     "в Base было бы больше {1} дисциплин, а больше программа не показывает"},
    {Id::kRefusedNotWritten, "the writing failed", "запись не удалась"},
    {Id::kRefusedReason, "{1}",
     "{1}"},
    {Id::kImportRefusedLine, "{1}: nothing written: {2}\n", "{1}: ничего не записано: {2}\n"},
    {Id::kImportWrittenLine, "{1}: {2} questions in {3} topics written as Base\\{4}.txt{5}{6}\n",
     "{1}: {2} {2|вопрос|вопроса|вопросов} в {3} {3|теме|темах|темах} {2|записан|записаны|"
     "записаны} как Base\\{4}.txt{5}{6}\n"},
    {Id::kImportLosses, "; {1} losses reported", "; {1} {1|потеря|потери|потерь} в отчёте"},
    {Id::kImportDropped, "; dropped by design: {1}", "; отброшено намеренно: {1}"},
    {Id::kImportDropSeparator, "{1}, {2}", "{1}, {2}"},
    {Id::kDropTitles, "{1} question names",
     "{1} {1|название вопроса|названия вопросов|названий вопросов}"},
    {Id::kDropFeedback, "{1} feedback texts", "{1} {1|отзыв|отзыва|отзывов}"},
    {Id::kDropWeights, "{1} partial-credit weights",
     "{1} {1|вес частичного балла|веса частичных баллов|весов частичных баллов}"},
    {Id::kDropFormatting, "{1} formatting marks",
     "{1} {1|пометка форматирования|пометки форматирования|пометок форматирования}"},
    {Id::kDropEmptyAnswers, "{1} empty answers",
     "{1} {1|пустой ответ|пустых ответа|пустых ответов}"},
    {Id::kImportUnknownEncoding, "unknown encoding '{1}'", "неизвестная кодировка '{1}'"},
    {Id::kImportRemarks, "; {1} remarks", "; {1} {1|замечание|замечания|замечаний}"},
    {Id::kInputUnlistedRemarks, "{1}: {2} more remarks not listed\n",
     "{1}: ещё {2} {2|замечание не показано|замечания не показаны|замечаний не показаны}\n"},

    {Id::kReviewHelp,
     "Usage: exameo-review [--now 2026-12-09T10:15:00Z] [--retention 0.9] LOG_OR_FOLDER\n"
     "       exameo-review --forecast --base BANK_FOLDER [--now T] LOG_OR_FOLDER\n"
     "       exameo-review --fit [--save FOLDER] LOG_OR_FOLDER\n"
     "\n"
     "Prints the review schedule of every question in an Exameo review log as JSON:\n"
     "  {\"now\", \"retention\", \"parameters\", \"questions\": [{\"key\", \"file\", \"reviews\",\n"
     "   \"lapses\", \"stability\", \"difficulty\", \"last\", \"due\", \"retrievability\"}],\n"
     "   \"skipped\"}\n"
     "one object per question (its content key), sorted by key. \"file\" is the question\n"
     "file of its latest line, \"lapses\" the lines graded 1, \"stability\" in days,\n"
     "\"retrievability\" the chance of recall at --now. Times are UTC as in the log.\n"
     "\"skipped\" counts the lines that hold no grading (torn, foreign or damaged).\n"
     "\"parameters\" is \"fitted\" when the folder's exameo.ini holds fitted parameters\n"
     "([review] parameters=, 21 numbers), else \"default\".\n"
     "\n"
     "--forecast prints, for every discipline and topic of the bank in BANK_FOLDER (the\n"
     "folder holding Base), the expected share of fully right answers of an exam now:\n"
     "  {\"now\", \"parameters\", \"disciplines\": [{\"file\", \"title\", \"questions\",\n"
     "   \"answered\", \"forecast\", \"topics\": [{\"title\", \"file\", \"questions\",\n"
     "   \"answered\", \"forecast\"}]}]}\n"
     "the mean over the questions with variants of the chance of recall now (for a\n"
     "question never answered: the share of first answers that were right, as\n"
     "(right + 1) / (first + 2)); null where no question was ever answered.\n"
     "\n"
     "--fit fits the 21 parameters of the schedule to the log (the last 20 % of the\n"
     "reviews held out) and prints\n"
     "  {\"reviews\", \"keys\", \"parameters\": [21 numbers], \"train_log_loss\",\n"
     "   \"held_out\": {\"reviews\", \"fitted_log_loss\", \"default_log_loss\"}, \"better\"}\n"
     "It needs at least 400 reviews a day or more after the question's previous answer.\n"
     "--save FOLDER writes the parameters to FOLDER/exameo.ini when \"better\" is true.\n"
     "\n"
     "LOG_OR_FOLDER is reviews.csv itself or the data folder holding it; a folder's\n"
     "exameo.ini gives the retention ([review] retention=) unless --retention does.\n"
     "--now       the moment to reckon from (default: the clock)\n"
     "--retention the desired chance of recall, 0.70 to 0.99 (default 0.9)\n"
     "\n"
     "Exit status: 0 when the log was read, 2 when the command line is wrong, the log or\n"
     "the bank cannot be read, the fit has too little data or exameo.ini cannot be\n"
     "written.\n",
     "Использование: exameo-review [--now 2026-12-09T10:15:00Z] [--retention 0.9]\n"
     "                             ЖУРНАЛ_ИЛИ_ПАПКА\n"
     "               exameo-review --forecast --base ПАПКА_БАЗЫ [--now T]\n"
     "                             ЖУРНАЛ_ИЛИ_ПАПКА\n"
     "               exameo-review --fit [--save ПАПКА] ЖУРНАЛ_ИЛИ_ПАПКА\n"
     "\n"
     "Выводит в JSON расписание повторений каждого вопроса из журнала повторений\n"
     "Exameo:\n"
     "  {\"now\", \"retention\", \"parameters\", \"questions\": [{\"key\", \"file\", \"reviews\",\n"
     "   \"lapses\", \"stability\", \"difficulty\", \"last\", \"due\", \"retrievability\"}],\n"
     "   \"skipped\"}\n"
     "по объекту на вопрос (его ключ содержимого), по порядку ключей. \"file\" — файл\n"
     "вопросов из его последней строки, \"lapses\" — строки с оценкой 1, \"stability\" —\n"
     "в днях, \"retrievability\" — вероятность вспомнить в момент --now. Время — UTC,\n"
     "как в журнале. \"skipped\" — число строк без оценки (оборванных, чужих или\n"
     "повреждённых). \"parameters\" — \"fitted\", если exameo.ini папки хранит\n"
     "подобранные параметры ([review] parameters=, 21 число), иначе \"default\".\n"
     "\n"
     "--forecast выводит для каждой дисциплины и темы базы из ПАПКИ_БАЗЫ (папки, где\n"
     "лежит Base) ожидаемую долю полностью верных ответов экзамена сейчас:\n"
     "  {\"now\", \"parameters\", \"disciplines\": [{\"file\", \"title\", \"questions\",\n"
     "   \"answered\", \"forecast\", \"topics\": [{\"title\", \"file\", \"questions\",\n"
     "   \"answered\", \"forecast\"}]}]}\n"
     "— среднее по вопросам с вариантами вероятности вспомнить сейчас (для вопроса\n"
     "без ответов — доля верных первых ответов, (верных + 1) / (первых + 2)); null,\n"
     "если ни на один вопрос ещё не отвечали.\n"
     "\n"
     "--fit подбирает 21 параметр расписания по журналу (последние 20 % повторений\n"
     "отложены для проверки) и выводит\n"
     "  {\"reviews\", \"keys\", \"parameters\": [21 число], \"train_log_loss\",\n"
     "   \"held_out\": {\"reviews\", \"fitted_log_loss\", \"default_log_loss\"}, \"better\"}\n"
     "Нужно не меньше 400 повторений через сутки и больше после прошлого ответа на\n"
     "вопрос. --save ПАПКА записывает параметры в ПАПКА/exameo.ini, если \"better\" — true.\n"
     "\n"
     "ЖУРНАЛ_ИЛИ_ПАПКА — сам reviews.csv или папка данных, где он лежит; exameo.ini\n"
     "этой папки задаёт удержание ([review] retention=), если его не задаёт --retention.\n"
     "--now       момент, от которого считать (по умолчанию — текущее время)\n"
     "--retention желаемая вероятность вспомнить, от 0.70 до 0.99 (по умолчанию 0.9)\n"
     "\n"
     "Код выхода: 0, если журнал прочитан, 2, если командная строка неверна, журнал\n"
     "или база не читаются, для подбора мало данных или exameo.ini не записывается.\n"},
    {Id::kReviewTryHelp, "exameo-review: {1}\nTry 'exameo-review --help'.\n",
     "exameo-review: {1}\nСправка: exameo-review --help\n"},
    {Id::kNeedsValue, "{1} needs a value", "после {1} нужно значение"},
    {Id::kReviewBadNow, "--now takes a UTC time like 2026-12-09T10:15:00Z, not '{1}'",
     "--now принимает время UTC вида 2026-12-09T10:15:00Z, а не '{1}'"},
    {Id::kReviewBadRetention, "--retention takes a number from 0.70 to 0.99, not '{1}'",
     "--retention принимает число от 0.70 до 0.99, а не '{1}'"},
    {Id::kReviewOneTarget, "give one review log or data folder",
     "укажите один журнал повторений или одну папку данных"},
    {Id::kReviewNoTarget, "give a review log or the data folder holding it",
     "укажите журнал повторений или папку данных, где он лежит"},
    {Id::kReviewCannotRead, "exameo-review: cannot read the review log {1}\n",
     "exameo-review: журнал повторений {1} не читается\n"},
    {Id::kReviewNotWith, "{1} cannot be used with {2}", "{1} нельзя указывать вместе с {2}"},
    {Id::kReviewOnlyWith, "{1} goes with {2} only", "{1} указывается только вместе с {2}"},
    {Id::kReviewNeedsBase, "--forecast needs --base BANK_FOLDER",
     "для --forecast нужен --base ПАПКА_БАЗЫ"},
    {Id::kReviewNoBank, "exameo-review: no question bank in {1} (it holds no Base folder)\n",
     "exameo-review: в {1} нет базы вопросов (нет папки Base)\n"},
    {Id::kReviewBadParameters,
     "exameo-review: {1}: [review] parameters is not 21 numbers within their bounds; the "
     "default parameters are used\n",
     "exameo-review: {1}: [review] parameters — не 21 число в допустимых пределах; "
     "используются параметры по умолчанию\n"},
    {Id::kReviewTooFew,
     "exameo-review: too little data: {1} reviews a day or more after the previous answer, "
     "at least 400 needed; nothing changed\n",
     "exameo-review: мало данных: повторений через сутки и больше после прошлого ответа — "
     "{1}, нужно не меньше 400; ничего не изменено\n"},
    {Id::kReviewCannotWrite, "exameo-review: cannot write {1}; nothing changed\n",
     "exameo-review: {1} не записывается; ничего не изменено\n"},

    {Id::kCheckHelp,
     "Usage: exameo-check [--questions | --topics] [--to-utf8] PATH...\n"
     "       exameo-check --json questions FILE\n"
     "       exameo-check --json topics FILE\n"
     "\n"
     "Checks the files of an Exameo question bank and reports every mistake as\n"
     "FILE:LINE: MESSAGE. The program itself reads a wrong file without a word.\n"
     "\n"
     "PATH is a database folder (the folder holding Base, or Base itself), a\n"
     "description file or a question file. In a folder, Base\\*.txt are the\n"
     "description files and the files they name are question files. A file given\n"
     "on its own is a description file when every line after the first begins with\n"
     "a TAB and holds a double quote, and a question file otherwise; --questions or\n"
     "--topics says which it is.\n"
     "\n"
     "The files (Windows-1251 text, or UTF-8 beginning with the byte-order mark\n"
     "EF BB BF; limits count bytes either way):\n"
     "  Description file, one per discipline, lines ending in CR LF:\n"
     "    the discipline's title (at most 1023 bytes, no TAB, no double quote)\n"
     "    TAB, a topic's title, \"path of its question file\"   (one line per topic)\n"
     "  Paths are relative to Base, at most 42 bytes; at most 128 topics, and at\n"
     "  most 64 description files with names of at most 42 bytes.\n"
     "  Question file, lines ending in CR LF or LF:\n"
     "    the task of a question (at most 2047 bytes)\n"
     "    TAB, + or - (correct or not), the answer's text (at most 1023 bytes)\n"
     "  at most 12 answer lines per question; the file begins with a task line.\n"
     "\n"
     "--json questions FILE  prints what the program's loader makes of a question\n"
     "                       file: {\"count\", \"questions\": [{\"exists\", \"task\",\n"
     "                       \"variants\": [{\"text\", \"correct\"}]}]}\n"
     "--json topics FILE     prints what the program makes of a description file:\n"
     "                       {\"title\", \"topics\": [{\"title\", \"path\"}]}\n"
     "Texts in the JSON are UTF-8 (decoded from Windows-1251 unless the file is\n"
     "UTF-8; an ill-formed sequence is U+FFFD).\n"
     "--to-utf8              also names every text of a Windows-1251 file that would\n"
     "                       not fit its limit once the file is converted to UTF-8.\n"
     "\n"
     "Exit status: 0 when nothing is wrong, 1 when something is, 2 when the command\n"
     "line is wrong or a path cannot be read.\n",
     "Использование: exameo-check [--questions | --topics] [--to-utf8] ПУТЬ...\n"
     "               exameo-check --json questions ФАЙЛ\n"
     "               exameo-check --json topics ФАЙЛ\n"
     "\n"
     "Проверяет файлы банка вопросов Exameo и сообщает о каждой ошибке как\n"
     "ФАЙЛ:СТРОКА: СООБЩЕНИЕ. Сама программа читает неверный файл молча.\n"
     "\n"
     "ПУТЬ — папка базы (папка, где лежит Base, или сама Base), файл описания или\n"
     "файл вопросов. В папке файлы описания — это Base\\*.txt, а файлы, которые они\n"
     "называют, — файлы вопросов. Отдельно указанный файл считается файлом\n"
     "описания, если каждая строка после первой начинается с TAB и содержит двойную\n"
     "кавычку, иначе — файлом вопросов; --questions или --topics говорят, что это\n"
     "за файл.\n"
     "\n"
     "Файлы (текст в Windows-1251 или в UTF-8 с меткой порядка байтов EF BB BF;\n"
     "пределы в байтах в обоих случаях):\n"
     "  Файл описания, по одному на дисциплину, строки кончаются CR LF:\n"
     "    название дисциплины (не больше 1023 байт, без TAB и двойных кавычек)\n"
     "    TAB, название темы, \"путь к её файлу вопросов\"   (по строке на тему)\n"
     "  Пути — относительно Base, не больше 42 байт; не больше 128 тем и не больше\n"
     "  64 файлов описания с именами не длиннее 42 байт.\n"
     "  Файл вопросов, строки кончаются CR LF или LF:\n"
     "    задание вопроса (не больше 2047 байт)\n"
     "    TAB, + или - (верный или нет), текст ответа (не больше 1023 байт)\n"
     "  не больше 12 строк ответов на вопрос; файл начинается со строки задания.\n"
     "\n"
     "--json questions ФАЙЛ  выводит, что загрузчик программы делает из файла\n"
     "                       вопросов: {\"count\", \"questions\": [{\"exists\", \"task\",\n"
     "                       \"variants\": [{\"text\", \"correct\"}]}]}\n"
     "--json topics ФАЙЛ     выводит, что программа делает из файла описания:\n"
     "                       {\"title\", \"topics\": [{\"title\", \"path\"}]}\n"
     "Тексты в JSON — в UTF-8 (перекодированы из Windows-1251, если файл не в UTF-8;\n"
     "неверная последовательность — U+FFFD).\n"
     "--to-utf8              называет ещё каждый текст файла в Windows-1251, который\n"
     "                       не поместится в свой предел, если перевести файл в UTF-8.\n"
     "\n"
     "Код выхода: 0, если ошибок нет, 1, если они есть, 2, если командная строка\n"
     "неверна или путь не читается.\n"},
    {Id::kCheckTryHelp, "exameo-check: {1}\nTry 'exameo-check --help'.\n",
     "exameo-check: {1}\nСправка: exameo-check --help\n"},
    {Id::kCheckJsonArguments, "--json takes a kind (questions or topics) and one file",
     "--json принимает вид (questions или topics) и один файл"},
    {Id::kCheckJsonKind, "--json takes 'questions' or 'topics', not '{1}'",
     "--json принимает 'questions' или 'topics', а не '{1}'"},
    {Id::kCheckJsonFirst, "--json comes first: exameo-check --json questions|topics FILE",
     "--json идёт первым: exameo-check --json questions|topics ФАЙЛ"},
    {Id::kCheckKindsExclusive, "--questions and --topics exclude each other",
     "--questions и --topics исключают друг друга"},
    {Id::kCheckNothing, "no file or folder to check", "не указаны файл или папка для проверки"},
    {Id::kCheckSummary, "exameo-check: {1} {1|problem|problems} in {2} {2|file|files}\n",
     "exameo-check: {1} {1|ошибка|ошибки|ошибок} в {2} {2|файле|файлах|файлах}\n"},

    {Id::kChkUtf16,
     "the file is UTF-16 (it begins with a byte-order mark); save it as Windows-1251",
     "файл в UTF-16 (он начинается с метки порядка байтов); сохраните его в Windows-1251"},
    {Id::kChkUtf8Bom,
     "the file begins with a UTF-8 byte-order mark, which the program would show as "
     "\"\xD0\xBF\xC2\xBB\xD1\x97\"; save the file as Windows-1251 without a byte-order mark",
     "файл начинается с метки порядка байтов UTF-8, которую программа показала бы как "
     "\"\xD0\xBF\xC2\xBB\xD1\x97\"; сохраните файл в Windows-1251 без метки порядка байтов"},
    {Id::kChkUtf8,
     "the file is UTF-8, not Windows-1251: the program would show \"{1}\" as {2}; save the file as "
     "Windows-1251",
     "файл в UTF-8, а не в Windows-1251: программа показала бы \"{1}\" как {2}; сохраните файл в "
     "Windows-1251"},
    {Id::kChkBadUtf8,
     "{1} ill-formed UTF-8 {1|sequence|sequences} (the first at column {2}: bytes {3}); the "
     "program shows each as \"\xEF\xBF\xBD\"",
     "{1} {1|неверная последовательность|неверные последовательности|неверных "
     "последовательностей} UTF-8 (первая в столбце {2}: байты {3}); программа показывает каждую "
     "как \"\xEF\xBF\xBD\""},
    {Id::kChkConversionCuts,
     "in UTF-8 this text would be {1} bytes long; at most {2} fit, so converting the file would "
     "cut it",
     "в UTF-8 в этом тексте было бы {1} {1|байт|байта|байт}, а помещается не больше {2}: при "
     "переводе файла в UTF-8 он был бы обрезан"},
    {Id::kChkPathIllFormed,
     "the path {1} is no well-formed UTF-8; the program would have to guess the file's name and "
     "leaves this topic out",
     "путь {1} записан с ошибками UTF-8; программе пришлось бы угадывать имя файла, и она "
     "пропускает эту тему"},
    {Id::kChkNul, "NUL byte (column {1}): the program's text ends there",
     "байт NUL (столбец {1}): на нём текст в программе обрывается"},
    {Id::kChk98,
     "byte 0x98 (column {1}) is not a character in Windows-1251; the program would show a box in "
     "its place",
     "байт 0x98 (столбец {1}) — не символ Windows-1251; программа показала бы на его месте "
     "квадратик"},
    {Id::kChkControl, "control character 0x{1} (column {2}) does not belong in a text",
     "управляющему символу 0x{1} (столбец {2}) не место в тексте"},
    {Id::kChkNoTab,
     "line does not begin with a TAB: a topic line is a TAB, the topic's title, and the path of "
     "its question file in double quotes",
     "строка не начинается с TAB: строка темы — это TAB, название темы и путь к её файлу вопросов "
     "в двойных кавычках"},
    {Id::kChkNoQuotes,
     "no double quotes: write the path of the topic's question file in double quotes after its "
     "title",
     "нет двойных кавычек: напишите путь к файлу вопросов темы в двойных кавычках после её "
     "названия"},
    {Id::kChkTabInTopicTitle,
     "TAB inside the topic's title (column {1}): a title may not contain a TAB",
     "TAB в названии темы (столбец {1}): в названии не может быть TAB"},
    {Id::kChkTopicTitleEmpty, "the topic's title is empty", "название темы пусто"},
    {Id::kChkTopicTitleLong, "the topic's title is {1} bytes long; at most {2} fit",
     "название темы длиной {1} {1|байт|байта|байт}; помещается не больше {2}"},
    {Id::kChkPathNotClosed, "the path has no closing double quote",
     "у пути нет закрывающей двойной кавычки"},
    {Id::kChkManyQuotes,
     "{1} double quotes: only the two around the path may stand in a topic line (a title may not "
     "hold a double quote)",
     "{1} {1|двойная кавычка|двойные кавычки|двойных кавычек}: в строке темы могут стоять только "
     "две кавычки вокруг пути (в названии не может быть двойной кавычки)"},
    {Id::kChkAfterPath, "text after the closing quote (column {1}): nothing may follow the path",
     "текст после закрывающей кавычки (столбец {1}): после пути ничего не может стоять"},
    {Id::kChkTabInPath, "TAB inside the path (column {1}): a path may not contain a TAB",
     "TAB в пути (столбец {1}): в пути не может быть TAB"},
    {Id::kChkNulInPath,
     "NUL byte inside the path {1} (column {2}): the program leaves the topic out, since the path "
     "would end there",
     "байт NUL в пути {1} (столбец {2}): программа пропускает тему, потому что путь оборвался бы "
     "на нём"},
    {Id::kChkPathEmpty, "the path between the quotes is empty", "путь между кавычками пуст"},
    {Id::kChkPathLong,
     "the path is {1} bytes long; at most {2} fit (the program keeps \"Base\\\" and the path in 47 "
     "bytes)",
     "путь длиной {1} {1|байт|байта|байт}; помещается не больше {2} (программа хранит \"Base\\\" и "
     "путь в 47 байтах)"},
    {Id::kChkQuestionsEmpty, "the file is empty: the topic would have no questions",
     "файл пуст: в теме не было бы вопросов"},
    {Id::kChkVariantFirst,
     "answer variant before the first task line: a file begins with the text of a question, and "
     "its answer variants (lines beginning with a TAB) follow it",
     "вариант ответа раньше первой строки задания: файл начинается с текста вопроса, а за ним идут "
     "его варианты ответов (строки, начинающиеся с TAB)"},
    {Id::kChkTooManyVariants, "the question of line {1} has more than {2} answer variants",
     "у вопроса строки {1} больше {2} вариантов ответа"},
    {Id::kChkVariantLong, "answer text is {1} bytes long; at most {2} fit",
     "текст ответа длиной {1} {1|байт|байта|байт}; помещается не больше {2}"},
    {Id::kChkEmptyLine, "empty line: the program makes it a question with no text and no answers",
     "пустая строка: программа делает из неё вопрос без текста и без ответов"},
    {Id::kChkTaskLong, "task text is {1} bytes long; at most {2} fit",
     "текст задания длиной {1} {1|байт|байта|байт}; помещается не больше {2}"},
    {Id::kChkSpacesOnly,
     "line of spaces only: the program makes it a question with a blank task and no answers; "
     "remove the line",
     "строка из одних пробелов: программа делает из неё вопрос с пустым заданием и без ответов; "
     "удалите строку"},
    {Id::kChkSpacesBeforeTab,
     "line begins with spaces before its TAB, so it is read as a new question without answers (the "
     "TAB and the text become its task); an answer variant begins with the TAB itself",
     "строка начинается с пробелов перед TAB, поэтому читается как новый вопрос без ответов (TAB и "
     "текст становятся его заданием); вариант ответа начинается прямо с TAB"},
    {Id::kChkSpacesBeforeSign,
     "line begins with spaces and a sign, so it is read as a new question; an answer variant "
     "begins with a TAB (did an editor turn it into spaces?)",
     "строка начинается с пробелов и знака, поэтому читается как новый вопрос; вариант ответа "
     "начинается с TAB (не превратил ли его редактор в пробелы?)"},
    {Id::kChkLoneCr,
     "CR without LF (column {1}): the program does not end a line there, so what follows joins "
     "this line; end lines with CR LF or LF{2}",
     "CR без LF (столбец {1}): программа не кончает там строку, и то, что дальше, присоединяется к "
     "этой строке; кончайте строки CR LF или LF{2}"},
    {Id::kChkLoneCrCount, " ({1} lines have one)", " (он есть в {1} {1|строке|строках|строках})"},
    {Id::kChkTopicsEmpty, "the file is empty: the discipline would have no title and no topics",
     "файл пуст: у дисциплины не было бы ни названия, ни тем"},
    {Id::kChkTitleNoCrLf, "the title line does not end with CR LF",
     "строка названия не кончается CR LF"},
    {Id::kChkTitleEmpty, "the discipline's title is empty", "название дисциплины пусто"},
    {Id::kChkTitleLong, "the discipline's title is {1} bytes long; at most {2} fit",
     "название дисциплины длиной {1} {1|байт|байта|байт}; помещается не больше {2}"},
    {Id::kChkTabInTitle,
     "TAB in the discipline's title (column {1}): a title may not contain a TAB",
     "TAB в названии дисциплины (столбец {1}): в названии не может быть TAB"},
    {Id::kChkQuoteInTitle,
     "double quote in the discipline's title (column {1}): a title may not contain a double quote",
     "двойная кавычка в названии дисциплины (столбец {1}): в названии не может быть двойной "
     "кавычки"},
    {Id::kChkEndsLf, "line ends with LF alone; lines of a description file end with CR LF{1}",
     "строка кончается одним LF; строки файла описания кончаются CR LF{1}"},
    {Id::kChkEndsCr, "line ends with CR alone; lines of a description file end with CR LF{1}",
     "строка кончается одним CR; строки файла описания кончаются CR LF{1}"},
    {Id::kChkEndsCount, " ({1} lines end so)",
     " (так {1|кончается|кончаются|кончаются} {1} {1|строка|строки|строк})"},
    {Id::kChkTitleOverBreak,
     "the topic's title goes on over a line break to line {1}: the program drops the break and "
     "reads the lines as one; write a topic on one line",
     "название темы продолжается через перевод строки до строки {1}: программа убирает перевод и "
     "читает строки как одну; пишите тему в одну строку"},
    {Id::kChkTooManyTopics,
     "more than {1} topic lines: a discipline holds at most {2} topics; the program leaves out "
     "this one and the rest ({3} in all)",
     "больше {1} строк тем: в дисциплине не больше {2} тем; программа пропускает эту и остальные "
     "(всего {3})"},
    {Id::kChkLineLeftOut,
     "the program leaves this line out: it reads no topic from it (a topic line is a TAB, the "
     "topic's title, and the path of its question file in double quotes)",
     "программа пропускает эту строку: она не читает из неё темы (строка темы — это TAB, название "
     "темы и путь к её файлу вопросов в двойных кавычках)"},
    {Id::kChkEmptyTopicLine,
     "empty line: every line after the title is a topic: a TAB, the topic's title, and the path of "
     "its question file in double quotes",
     "пустая строка: каждая строка после названия — тема: TAB, название темы и путь к её файлу "
     "вопросов в двойных кавычках"},
    {Id::kChkReadDifferently,
     "exameo-check and the program read this line differently; the program's reading counts",
     "exameo-check и программа читают эту строку по-разному; верно то, как её читает программа"},
    {Id::kChkNameLong,
     "the file name is {1} bytes long; the program keeps \"Base\\\" and the name in 47 bytes, so "
     "at most {2} fit",
     "имя файла длиной {1} {1|байт|байта|байт}; программа хранит \"Base\\\" и имя в 47 байтах, "
     "поэтому помещается не больше {2}"},
    {Id::kChkMissing, "the question file \"{1}\" does not exist{2}",
     "файла вопросов \"{1}\" нет{2}"},
    {Id::kChkMissingBase, " (paths are relative to the Base folder: leave out \"Base\\\")",
     " (пути отсчитываются от папки Base: уберите \"Base\\\")"},
    {Id::kChkInBase,
     "the question file \"{1}\" lies in Base itself and ends in .txt, so the program lists it as a "
     "discipline as well; move it into a folder of its own",
     "файл вопросов \"{1}\" лежит прямо в Base и кончается на .txt, поэтому программа показывает "
     "его и как дисциплину; перенесите его в отдельную папку"},
    {Id::kChkCountsDiffer,
     "exameo-check counts {1} questions with {2} answers, the program's loader {3} with {4}; the "
     "program's reading counts",
     "exameo-check насчитывает {1} {1|вопрос|вопроса|вопросов} с {2} "
     "{2|ответом|ответами|ответами}, загрузчик программы — {3} с {4}; верно то, как читает "
     "программа"},
    {Id::kChkNoTemporaryCopy, "cannot compare with the program's loader: no temporary copy",
     "не удаётся сравнить с загрузчиком программы: нет временной копии"},
    {Id::kChkNoTemporaryFolder, "cannot compare with the program's loader: no temporary folder",
     "не удаётся сравнить с загрузчиком программы: нет временной папки"},
    {Id::kChkPictureOutside,
     "picture \"{1}\": the path leads out of Base; the program shows the picture's text instead",
     "рисунок «{1}»: путь ведёт за пределы Base; программа покажет вместо него его текст"},
    {Id::kChkPicturePath,
     "picture \"{1}\": a path must be relative to the question file's folder ({2}); the program "
     "shows the picture's text instead",
     "рисунок «{1}»: путь должен быть относительным к папке файла вопросов ({2}); программа "
     "покажет вместо него его текст"},
    {Id::kChkPictureMissing,
     "picture \"{1}\": no such file; the program shows the picture's text instead",
     "рисунок «{1}»: нет такого файла; программа покажет вместо него его текст"},
    {Id::kChkPictureUnreadable,
     "picture \"{1}\": not a PNG, JPEG, GIF, BMP, WMF or EMF picture, or a damaged one; the "
     "program shows the picture's text instead",
     "рисунок «{1}»: не рисунок PNG, JPEG, GIF, BMP, WMF или EMF либо повреждённый; программа "
     "покажет вместо него его текст"},
    {Id::kChkPictureTooLarge,
     "picture \"{1}\": larger than 20 MB or 10000 by 10000 pixels; the program shows the "
     "picture's text instead",
     "рисунок «{1}»: больше 20 МБ или 10000 на 10000 точек; программа покажет вместо него его "
     "текст"},
    {Id::kChkPictureUnclosed,
     "\"![\" at column {1} opens no picture and shows as written (a literal \"![\" is written "
     "\"!\\[\")",
     "«![» в столбце {1} не открывает рисунок и показывается как написано (сам знак «![» "
     "пишется «!\\[»)"},
    {Id::kChkCannotEnterDatabase, "cannot enter the database folder",
     "не удаётся перейти в папку базы"},
    {Id::kChkNoDescriptions,
     "no description files (*.txt) in this Base folder: the program would list no discipline",
     "в этой папке Base нет файлов описания (*.txt): программа не показала бы ни одной дисциплины"},
    {Id::kChkDescriptionUnreadable, "cannot read the file: the program leaves the discipline out",
     "файл не читается: программа пропускает дисциплину"},
    {Id::kChkTooManyDescriptions,
     "{1} description files: the program lists at most 64 disciplines and leaves out the last {2} "
     "in name order, from \"{3}\"",
     "{1} {1|файл|файла|файлов} описания: программа показывает не больше 64 дисциплин и пропускает "
     "последние {2} по порядку имён, начиная с \"{3}\""},
    {Id::kChkTitleReadDifferently,
     "exameo-check and the program read the title differently; the program's reading counts",
     "exameo-check и программа читают название по-разному; верно то, как его читает программа"},
    {Id::kChkNoSuchPath, "no such file or folder", "нет такого файла или папки"},
    {Id::kChkFolderWithoutBase,
     "a folder that neither holds a Base folder nor is one (give the folder holding Base, or Base "
     "itself)",
     "в этой папке нет папки Base, и сама она не Base (укажите папку, где лежит Base, или саму "
     "Base)"},
    {Id::kChkCannotEnterTemporary, "cannot enter the temporary folder",
     "не удаётся перейти во временную папку"},

    // Pictures and formulas in imported and exported texts.
    {Id::kWhyTaskTooLongUtf8, "its task is {1} bytes in UTF-8, the program holds {2}",
     "его задание занимает {1} {1|байт|байта|байт} в UTF-8, а программа вмещает {2}"},
    {Id::kWhyVariantTooLongUtf8, "its variant {1} is {2} bytes in UTF-8, the program holds {3}",
     "его вариант {1} занимает {2} {2|байт|байта|байт} в UTF-8, а программа вмещает {3}"},
    {Id::kPictureNotFound, "picture '{1}' dropped: no such file",
     "рисунок '{1}' не перенесён: такого файла нет"},
    {Id::kPictureNotRelative, "picture '{1}' dropped: only a path relative to the input is read",
     "рисунок '{1}' не перенесён: читается только путь относительно входного файла"},
    {Id::kPictureNotDecoded, "picture '{1}' dropped: its data cannot be decoded",
     "рисунок '{1}' не перенесён: его данные не декодируются"},
    {Id::kNotAPicture, "file '{1}' dropped: it is not a picture (PNG, JPEG, GIF, BMP, WMF, EMF)",
     "файл '{1}' не перенесён: это не рисунок (PNG, JPEG, GIF, BMP, WMF, EMF)"},
    {Id::kFormulaKept, "formula kept as written: {1}", "формула оставлена как есть: {1}"},
    {Id::kReplacementPutIn, "U+FFFD put in for {1}", "U+FFFD вместо {1}"},
    {Id::kPictureKeptAsReference, "picture kept as the text {1}: {2} carries no pictures here",
     "рисунок оставлен текстом {1}: {2} здесь рисунков не переносит"},
    {Id::kExportPictureNotWritten,
     "picture '{1}' not written, its text \"{2}\" put in: the file is missing, unreadable, "
     "outside Base or not a picture",
     "рисунок '{1}' не записан, вместо него текст \"{2}\": файла нет, он не читается, лежит вне "
     "Base или это не рисунок"},
    {Id::kExportPicturesCopied, "{1} {1|picture|pictures} copied into {2}\n",
     "{1} {1|рисунок скопирован|рисунка скопировано|рисунков скопировано} в {2}\n"},

    // Pictures, equations and symbols of Word documents.
    {Id::kPictureOutsideQuestion, "picture '{1}' dropped: it stands outside any question",
     "рисунок '{1}' не перенесён: он стоит вне вопросов"},
    {Id::kEquationPartKept, "Word equation: {1} kept as its text '{2}'",
     "формула Word: {1} оставлено текстом '{2}'"},
    {Id::kSymbolDropped, "symbol {1} of the font '{2}' dropped: it has no Unicode character here",
     "символ {1} шрифта '{2}' не перенесён: для него нет символа Юникода"},
};

static_assert(std::size(kTable) == static_cast<std::size_t>(Id::kCount),
              "one row of the table per text");

}  // namespace

const Pattern& PatternOf(Id id) {
  std::size_t index = static_cast<std::size_t>(id);
  return kTable[index < std::size(kTable) ? index : 0];
}

std::string_view PatternIn(Id id, Lang language) {
  const Pattern& row = PatternOf(id);
  return language == Lang::kRussian ? row.russian : row.english;
}

std::string Render(const Text& text, Lang language) {
  if (text.id == Id::kNone) return text.plain;
  std::vector<std::string> args;
  args.reserve(text.args.size());
  for (const Text& arg : text.args) args.push_back(Render(arg, language));
  return Fill(PatternIn(text.id, language), args, language);
}

}  // namespace lang
