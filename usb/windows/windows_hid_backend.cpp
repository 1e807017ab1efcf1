#include "usb/windows/windows_hid_backend.h"

#include <new>

#include "usb/windows/win_hid_api.h"
#include "usb/windows/win_hid_device.h"
#include "usb/windows/win_text.h"

#include <setupapi.h>

bool win_hid_identity(HANDLE device, WinHidIdentity* identity) {
    HIDD_ATTRIBUTES attributes{};
    attributes.Size = sizeof(attributes);
    if (!HidD_GetAttributes(device, &attributes)) return false;
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    if (!HidD_GetPreparsedData(device, &preparsed)) return false;
    HIDP_CAPS caps{};
    const NTSTATUS status = HidP_GetCaps(preparsed, &caps);
    HidD_FreePreparsedData(preparsed);
    if (status != HIDP_STATUS_SUCCESS) return false;
    identity->vendor_id = attributes.VendorID;
    identity->product_id = attributes.ProductID;
    identity->input_report_length = caps.InputReportByteLength;
    identity->output_report_length = caps.OutputReportByteLength;
    return true;
}

namespace {

HANDLE win_hid_open(const std::string& path, DWORD flags) {
    const std::wstring wide = win_path_from_utf8(path);
    if (wide.empty()) return INVALID_HANDLE_VALUE;
    return CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, flags, nullptr);
}

class WindowsHidBackend final : public HidBackend {
public:
    std::vector<std::string> enumerate() override {
        std::vector<std::string> paths;
        GUID hid_guid;
        HidD_GetHidGuid(&hid_guid);
        HDEVINFO set = SetupDiGetClassDevsW(&hid_guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
        if (set == INVALID_HANDLE_VALUE) return paths;
        for (DWORD index = 0;; ++index) {
            SP_DEVICE_INTERFACE_DATA iface{};
            iface.cbSize = sizeof(iface);
            if (!SetupDiEnumDeviceInterfaces(set, nullptr, &hid_guid, index, &iface)) break;
            DWORD size = 0;
            SetupDiGetDeviceInterfaceDetailW(set, &iface, nullptr, 0, &size, nullptr);
            if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) continue;
            // The detail record is variable-sized; its size field holds the
            // size of the fixed part, as the platform requires.
            auto* detail = static_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(::operator new(size, std::nothrow));
            if (detail == nullptr) continue;
            detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
            if (SetupDiGetDeviceInterfaceDetailW(set, &iface, detail, size, nullptr, nullptr)) {
                std::string path = win_path_to_utf8(detail->DevicePath);
                if (!path.empty()) paths.push_back(std::move(path));
            }
            ::operator delete(detail);
        }
        SetupDiDestroyDeviceInfoList(set);
        return paths;
    }

    bool probe(const std::string& path, HidDeviceInfo* info) override {
        // A synchronous probe handle, used only to read the identity.
        HANDLE probe = win_hid_open(path, 0);
        if (probe == INVALID_HANDLE_VALUE) return false;
        WinHidIdentity identity;
        const bool ok = win_hid_identity(probe, &identity);
        CloseHandle(probe);
        if (!ok) return false;
        info->vendor_id = identity.vendor_id;
        info->product_id = identity.product_id;
        info->input_report_length = identity.input_report_length;
        info->output_report_length = identity.output_report_length;
        return true;
    }

    std::unique_ptr<HidDevice> open(const std::string& path) override {
        HANDLE device = win_hid_open(path, FILE_FLAG_OVERLAPPED);
        if (device == INVALID_HANDLE_VALUE) return nullptr;
        // The link sizes its reports from discovery; the device reads the
        // lengths again from its own handle so every write is exactly the
        // length the system takes.
        WinHidIdentity identity;
        if (!win_hid_identity(device, &identity)) {
            CloseHandle(device);
            return nullptr;
        }
        return WinHidDevice::adopt(device, identity);
    }
};

}  // namespace

std::unique_ptr<HidBackend> windows_hid_backend() { return std::make_unique<WindowsHidBackend>(); }
