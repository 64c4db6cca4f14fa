// Texts between the program's UTF-8 and the wide strings of the Windows API, and the system's
// error texts.
#pragma once

#include <windows.h>

#include <string>

std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const std::wstring& text);
// The system's text for an error code of GetLastError, without the trailing line break.
std::string WindowsErrorText(DWORD code);
