#include "ui/win32/win32_file_picker.h"

#include <objbase.h>
#include <commdlg.h>
#include <shobjidl.h>

#include "ui/win32/win32_text.h"

namespace {

// COM for the calling thread, for as long as the picker runs.
class ComScope {
public:
    ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT hr_;
};

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (p_) p_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T** out() { return &p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

// The new-style dialog. Nothing when it cannot be created; otherwise the
// outcome of the dialog (a path, or an empty optional for Cancel or failure)
// in *answer.
bool pick_new_style(HWND owner, const FilePickRequest& request, std::optional<std::u16string>* answer) {
    ComPtr<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                reinterpret_cast<void**>(dialog.out()))) ||
        !dialog)
        return false;
    const auto pairs = win32_filter_pairs(request.filter);
    std::vector<COMDLG_FILTERSPEC> specs;
    for (const auto& [text, pattern] : pairs) specs.push_back({text.c_str(), pattern.c_str()});
    if (!specs.empty()) {
        dialog->SetFileTypes(static_cast<UINT>(specs.size()), specs.data());
        dialog->SetFileTypeIndex(1);
    }
    const std::wstring ext = win32_default_extension(request.default_ext);
    if (!ext.empty()) dialog->SetDefaultExtension(ext.c_str());
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST | FOS_FILEMUSTEXIST |
                       FOS_OVERWRITEPROMPT);
    *answer = std::nullopt;
    if (FAILED(dialog->Show(owner))) return true;  // Cancel, or the dialog failed
    ComPtr<IShellItem> item;
    if (FAILED(dialog->GetResult(item.out())) || !item) return true;
    PWSTR path = nullptr;
    if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) && path) {
        *answer = win32_u16(path);
        CoTaskMemFree(path);
    }
    return true;
}

std::optional<std::u16string> pick_classic(HWND owner, const FilePickRequest& request) {
    std::wstring filter;
    for (const auto& [text, pattern] : win32_filter_pairs(request.filter)) {
        filter += text;
        filter += L'\0';
        filter += pattern;
        filter += L'\0';
    }
    filter += L'\0';
    const std::wstring ext = win32_default_extension(request.default_ext);
    std::vector<wchar_t> file(32768, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_FILEMUSTEXIST |
                OFN_PATHMUSTEXIST;
    if (!GetOpenFileNameW(&ofn)) return std::nullopt;
    return win32_u16(file.data());
}

}  // namespace

std::vector<std::pair<std::wstring, std::wstring>> win32_filter_pairs(const std::u16string& filter) {
    std::vector<std::wstring> parts;
    std::wstring part;
    for (char16_t c : filter) {
        if (c == u'|') {
            parts.push_back(part);
            part.clear();
        } else {
            part += static_cast<wchar_t>(c);
        }
    }
    if (!part.empty()) parts.push_back(part);
    std::vector<std::pair<std::wstring, std::wstring>> pairs;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2)
        if (!parts[i].empty() && !parts[i + 1].empty()) pairs.emplace_back(parts[i], parts[i + 1]);
    return pairs;
}

std::wstring win32_default_extension(const std::u16string& default_ext) {
    std::u16string_view e(default_ext);
    if (e.starts_with(u"*")) e.remove_prefix(1);
    if (e.starts_with(u".")) e.remove_prefix(1);
    return win32_wide(e);
}

std::optional<std::u16string> win32_pick_open_file(HWND owner, const FilePickRequest& request) {
    ComScope com;
    std::optional<std::u16string> answer;
    if (pick_new_style(owner, request, &answer)) return answer;
    return pick_classic(owner, request);
}
