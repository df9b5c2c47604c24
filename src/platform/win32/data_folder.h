// Where the study data is kept: exameo.ini, the progress folder and results.csv.
//
// The program's own folder when an exameo.ini lies beside exameo.exe and the folder can be
// written (the zip ships one, so an unpacked copy keeps everything beside itself); otherwise
// the folder Exameo in the user's application data folder, made when missing.
#pragma once

#include <string>

struct DataFolder {
  std::string path;  // Windows-1251, backslashes, no trailing backslash; "" when there is none
  bool writable = false;
};

// The choice between the program's folder and `appData`\Exameo (both wide paths, with or
// without a trailing backslash; either may be empty). Makes the Exameo folder when it is
// missing. A folder whose name Windows-1251 cannot spell is taken by its short 8.3 name; when
// that cannot be spelled either, there is no folder ("", not writable).
DataFolder ChooseDataFolder(const std::wstring& programFolder, const std::wstring& appData);
// The folder of the running program's file, and the user's application data folder ("" when
// the system names none).
std::wstring ProgramFolder();
std::wstring AppDataFolder();
// A wide path as Windows-1251 bytes, through its short name when the long one has characters
// the code page lacks. False when neither can be written in it.
bool Cp1251Path(const std::wstring& wide, std::string* out);
