// Whole files as byte strings, by Windows path.
#pragma once

#include <string>

// False when the file cannot be read completely.
bool ReadFileBytes(const std::wstring& path, std::string& bytes);
// False when the file cannot be created or written completely.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
