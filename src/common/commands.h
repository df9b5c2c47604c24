// Command identifiers of menus, buttons and accelerator keys, and the accelerator table.
#pragma once

inline constexpr unsigned kCmdAbout = 10;
inline constexpr unsigned kCmdDatabase = 11;
inline constexpr unsigned kCmdHotKeys = 12;
inline constexpr unsigned kCmdFirstDiscipline = 20;  // 20 + i, i = 0..63
inline constexpr unsigned kCmdFirstTopic = 100;      // radio button of topic i, in the chooser
inline constexpr unsigned kCmdChooserOk = 200;
// What the dialog keys of a window other than the main one send it: Enter on a control that is
// no push button, and Esc (IDOK and IDCANCEL). Below every topic's identifier.
inline constexpr unsigned kCmdDialogOk = 1;
inline constexpr unsigned kCmdDialogCancel = 2;
inline constexpr unsigned kCmdOk = 300;
inline constexpr unsigned kCmdFirstAnswerKey = 10000;  // 10000 + n, n = 0..11

// One accelerator: a character code (no virtual key, no modifiers) and its command.
struct Accelerator {
  unsigned char Key;
  unsigned short Command;
};

// Entry n < 12 maps character 49 + n ("1".."9", ":", ";", "<") to answer key n; then Enter and
// space give OK.
inline constexpr Accelerator kAccelerators[14] = {
    {49, 10000}, {50, 10001}, {51, 10002}, {52, 10003}, {53, 10004}, {54, 10005}, {55, 10006},
    {56, 10007}, {57, 10008}, {58, 10009}, {59, 10010}, {60, 10011}, {13, 300},   {32, 300},
};

// The board's picture key, F3 (a virtual key, so that every keyboard layout gives it, and the
// "view" key of the file managers users know): it opens the current question's task pictures
// one after the other in the picture window. It is not in the table above: the message loop
// takes it first, and only when there is a picture to open, so every other key (and F3 on a
// question without pictures) goes exactly the way it always went.
inline constexpr unsigned kPictureKey = 0x72;  // VK_F3

// The study menu ("Параметры"): three options and the results window. Taken from the menu only
// (no control, high word 0): answer check boxes of huge topics may wrap onto any low word.
inline constexpr unsigned kCmdShuffleQuestions = 500;
inline constexpr unsigned kCmdShuffleAnswers = 501;
inline constexpr unsigned kCmdResume = 502;
inline constexpr unsigned kCmdResults = 503;
// The menu "Подготовка": the dialog "Экзамен" (the results window moved here too). Taken from
// the menu only, as the study menu's.
inline constexpr unsigned kCmdExam = 504;
// The review sessions of the log: the questions due today, the latest mistakes; and the
// window of the knowledge per topic.
inline constexpr unsigned kCmdReviewDue = 505;
inline constexpr unsigned kCmdReviewMistakes = 506;
inline constexpr unsigned kCmdKnowledge = 507;
// "Добавить вопросы из файла..." at the end of "Дисциплины". Taken from the menu only, as the
// study menu's.
inline constexpr unsigned kCmdAddQuestions = 508;
