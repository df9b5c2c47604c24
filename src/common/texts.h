// Every text the bank tools say, in English and Russian, from one table (texts.cpp).
//
// A note keeps its text's identifier and arguments (`Text`), not a rendered string, so that it
// can be rendered in either language after the fact: the tools speak the user's language, the
// program's report speaks Russian. Arguments that are data (file names, titles, Moodle's type
// names) are plain strings and stay as they are in every language.
#pragma once

#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "common/lang.h"

namespace lang {

enum class Id : unsigned short {
  kNone,  // no pattern: a plain string

  // Reports of the readers and the bank writer (notes).
  kQuestionLeftOut,
  kKindQuestionLeftOut,
  kKindMoodleType,
  kKindUntyped,
  kKindEmbeddedAnswer,
  kKindEssay,
  kKindNumerical,
  kKindMatching,
  kKindShortAnswer,
  kKindMultipleChoice,
  kKindDescription,
  kKindTrueFalse,
  kWhyAnswerNamesNoOption,
  kWhyFewerThanTwoOptions,
  kWhyTextEmpty,
  kWhyNoAnswerLine,
  kWhyQuoteNotClosed,
  kWhySecondColumnNotNumbers,
  kWhyCorrectNamesNoColumn,
  kWhyTaskColumnEmpty,
  kWhyBraceClosesNothing,
  kWhyBlockNotClosed,
  kWhyOnlyChoiceQuestions,
  kWhyFewerThanTwoAnswers,
  kWhyTooManyVariants,
  kWhyTaskOnlyControls,
  kWhyTaskTooLong,
  kWhyVariantOnlyControls,
  kWhyVariantTooLong,
  kWhyTaskLikeByteOrderMark,
  kWhyLettersReadAsUtf8,
  kBlankLineBeforeCategory,
  kBlankLineBeforeQuestion,
  kAttachedFileDropped,
  kImageFileDropped,
  kEmbeddedImageDropped,
  kTrueFalseNotNamed,
  kEmptyAnswerLeftOut,
  kHtmlNotRead,
  kHtmlTooLong,
  kHtmlTooDeep,
  kMediaDropped,
  kMediaImage,
  kMediaAudio,
  kMediaVideo,
  kMediaObject,
  kMediaFrame,
  kMediaLink,
  kMediaWithFile,
  kControlsRemoved,
  kQuestionMarkPutIn,
  kMalformedUtf8,
  kTitleOnlyControls,
  kTitleCut,
  kTitleWrittenUntitled,
  kWhyTitleLikeByteOrderMark,
  kWhyTitleReadsAsUtf8,
  kTopicBeyondLimit,
  kControlsAsQuestionMarks,
  kFieldTask,
  kFieldVariant,
  kFieldDisciplineTitle,
  kFieldTopicTitle,
  kTopicFileUnreadable,
  kTopicWithoutQuestions,
  kExportLeftOut,
  kWhyExportTaskEmpty,
  kWhyExportVariantEmpty,
  kWhyMoodleSingleVariant,
  kWhyMoodleNoCorrect,
  kWhyAikenNoVariants,
  kWhyAikenSingleVariant,
  kWhyAikenCorrectCount,
  kWhyAikenTaskLikeOption,
  kWhyAikenTaskLikeAnswer,
  kWhyAikenTaskOneCharacter,
  kCategoryRenamed,
  kTopicUntitled,
  kTopicTitleRepeated,
  kReadAsEncoding,
  kUndecodable,
  kSpaceBeforeSign,
  kNoPositiveAnswer,
  kAikenLettersLookAlike,
  kAikenLettersAlphabet,
  kWhyAnswerLetterNotOption,
  kWhyOptionLettersMixed,
  kMediaLinkedFile,
  kXmlExternalEntity,
  kXmlExternalDtd,
  kXmlEntityNotExpanded,
  kOfficeNotZip,
  kOfficeTooManyParts,
  kOfficePartTooLarge,
  kOfficeTooLarge,
  kOfficeDamaged,
  kOfficeMissing,
  kOfficeXml,
  kOfficeLegacy,
  kDocxNoQuestion,
  kXlsxNoSheet,
  kXlsxHeader,
  kParagraphLeftOut,
  kTextBoxLeftOut,
  kCommentLeftOut,
  kFootnoteLeftOut,
  kMediaEquation,
  kWhyNoAnswerMarked,
  kWhyNoAnswers,
  kWhyAnswerLineNamesNone,
  kAnswerLineDecides,
  kWhyAnswerNotAmongVariants,
  kWhyQuestionCellEmpty,
  kSheetHiddenLeftOut,
  kSheetRenamed,
  kFormulaNoValue,

  // Failures the bridge reports to a tool.
  kFolderNotCreated,
  kNotAFolder,
  kFolderNotListed,
  kFolderFull,
  kFolderNotWritable,
  kFileNotWritten,
  kNotMovedIntoPlace,
  kXmlTooMuchMarkup,
  kXmlError,
  kXmlNotQuiz,
  kXmlEntitiesTooLarge,
  kExportGivenFolder,
  kCannotReadFile,
  kCannotCopyFile,
  kCannotEnterTemporary,
  kCannotEnterBaseFolder,

  // exameo-export.
  kExportHelp,
  kExportTryHelp,
  kExportFormatNeedsValue,
  kExportUnknownFormat,
  kExportNeedsOutputFile,
  kExportNotWritten,
  kExportKindsExclusive,
  kExportOutputNeedsFile,
  kExportOutputTwice,
  kUnknownOption,
  kExportOnePath,
  kExportNoPath,
  kExportWouldReplaceInput,
  kExportCannotWriteBeside,
  kExportCannotReplace,
  kExportNothingNoQuestion,
  kExportNothingCarried,
  kExportCannotWriteStdout,
  kExportTitlesChanged,
  kExportSummary,
  kToolPathFailure,

  // exameo-import.
  kImportHelp,
  kImportComplaint,
  kImportUnknownFormat,
  kImportUnknownOption,
  kImportNoInput,
  kImportTitleOneInput,
  kImportTitleEmpty,
  kImportNoFolder,
  kImportCannotList,
  kImportCannotWrite,
  kImportNothingWritten,
  kInputSays,
  kInputFormatHint,
  kInputUnlisted,
  kRefusedUnreadable,
  kRefusedUnknownFormat,
  kRefusedParser,
  kRefusedNoQuestion,
  kRefusedTooMany,
  kRefusedNotWritten,
  kRefusedReason,
  kImportRefusedLine,
  kImportWrittenLine,
  kImportLosses,
  kImportDropped,
  kImportDropSeparator,
  kDropTitles,
  kDropFeedback,
  kDropWeights,
  kDropFormatting,
  kDropEmptyAnswers,
  kImportUnknownEncoding,
  kImportRemarks,
  kInputUnlistedRemarks,

  // exameo-review.
  kReviewHelp,
  kReviewTryHelp,
  kNeedsValue,
  kReviewBadNow,
  kReviewBadRetention,
  kReviewOneTarget,
  kReviewNoTarget,
  kReviewCannotRead,
  kReviewNotWith,
  kReviewOnlyWith,
  kReviewNeedsBase,
  kReviewNoBank,
  kReviewBadParameters,
  kReviewTooFew,
  kReviewCannotWrite,

  // exameo-check.
  kCheckHelp,
  kCheckTryHelp,
  kCheckJsonArguments,
  kCheckJsonKind,
  kCheckJsonFirst,
  kCheckKindsExclusive,
  kCheckNothing,
  kCheckSummary,

  // exameo-check's problems.
  kChkUtf16,
  kChkUtf8Bom,
  kChkUtf8,
  kChkBadUtf8,
  kChkConversionCuts,
  kChkPathIllFormed,
  kChkNul,
  kChk98,
  kChkControl,
  kChkNoTab,
  kChkNoQuotes,
  kChkTabInTopicTitle,
  kChkTopicTitleEmpty,
  kChkTopicTitleLong,
  kChkPathNotClosed,
  kChkManyQuotes,
  kChkAfterPath,
  kChkTabInPath,
  kChkNulInPath,
  kChkPathEmpty,
  kChkPathLong,
  kChkQuestionsEmpty,
  kChkVariantFirst,
  kChkTooManyVariants,
  kChkVariantLong,
  kChkEmptyLine,
  kChkTaskLong,
  kChkSpacesOnly,
  kChkSpacesBeforeTab,
  kChkSpacesBeforeSign,
  kChkLoneCr,
  kChkLoneCrCount,
  kChkTopicsEmpty,
  kChkTitleNoCrLf,
  kChkTitleEmpty,
  kChkTitleLong,
  kChkTabInTitle,
  kChkQuoteInTitle,
  kChkEndsLf,
  kChkEndsCr,
  kChkEndsCount,
  kChkTitleOverBreak,
  kChkTooManyTopics,
  kChkLineLeftOut,
  kChkEmptyTopicLine,
  kChkReadDifferently,
  kChkNameLong,
  kChkMissing,
  kChkMissingBase,
  kChkInBase,
  kChkCountsDiffer,
  kChkNoTemporaryCopy,
  kChkNoTemporaryFolder,
  kChkPictureOutside,
  kChkPicturePath,
  kChkPictureMissing,
  kChkPictureUnreadable,
  kChkPictureTooLarge,
  kChkPictureUnclosed,
  kChkCannotEnterDatabase,
  kChkNoDescriptions,
  kChkDescriptionUnreadable,
  kChkTooManyDescriptions,
  kChkTitleReadDifferently,
  kChkNoSuchPath,
  kChkFolderWithoutBase,
  kChkCannotEnterTemporary,

  kWhyTaskTooLongUtf8,
  kWhyVariantTooLongUtf8,
  kPictureNotFound,
  kPictureNotRelative,
  kPictureNotDecoded,
  kNotAPicture,
  kFormulaKept,
  kReplacementPutIn,
  kPictureKeptAsReference,
  kExportPictureNotWritten,
  kExportPicturesCopied,
  kPictureOutsideQuestion,
  kEquationPartKept,
  kSymbolDropped,
  kCount
};

// A text of the table with its arguments, or a plain string (id kNone).
struct Text {
  Id id = Id::kNone;
  std::string plain;
  std::vector<Text> args;

  bool empty() const { return id == Id::kNone && plain.empty(); }
};

struct Pattern {
  Id id;
  const char* english;
  const char* russian;
};

// The table's row of `id`.
const Pattern& PatternOf(Id id);
std::string_view PatternIn(Id id, Lang language);

inline Text Plain(std::string text) {
  return Text{Id::kNone, std::move(text), {}};
}

inline Text Arg(Text text) {
  return text;
}
inline Text Arg(std::string_view text) {
  return Plain(std::string(text));
}
inline Text Arg(const char* text) {
  return Plain(text);
}
inline Text Arg(const std::string& text) {
  return Plain(text);
}
template <class N>
requires std::is_integral_v<N> Text Arg(N number) {
  return Plain(std::to_string(number));
}

// The text `id` with `args` (texts, strings or numbers).
template <class... A>
Text Say(Id id, A&&... args) {
  Text text{id, {}, {}};
  (text.args.push_back(Arg(std::forward<A>(args))), ...);
  return text;
}

// `text` in `language`, its arguments rendered in it too.
std::string Render(const Text& text, Lang language);

// The text `id` with `args`, in the tools' language.
template <class... A>
std::string Tr(Id id, A&&... args) {
  return Render(Say(id, std::forward<A>(args)...), ToolLanguage());
}

}  // namespace lang
