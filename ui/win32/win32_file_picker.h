// The script picker of Load Init Script: the platform's new-style file-open
// dialog (IFileOpenDialog), owned by the main window; the classic one where
// the new one cannot be created.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/dialog_host.h"

// The filter "Text|pattern|Text|pattern|" as (text, pattern) pairs; a text
// without its pattern is dropped.
std::vector<std::pair<std::wstring, std::wstring>> win32_filter_pairs(const std::u16string& filter);

// The default extension without "*." (the dialog appends "." itself).
std::wstring win32_default_extension(const std::u16string& default_ext);

// Runs the picker modally; the full path of the chosen file, or nothing when
// it was cancelled or failed.
std::optional<std::u16string> win32_pick_open_file(HWND owner, const FilePickRequest& request);
