// The main window: the operator's fields and controls, the data exchange,
// start-up, the dispatch table, the output pane with its result logs and the
// voltage rails. The handlers of Download, the firmware link and the test
// commands live in control/.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <thread>

#include "ui/auto_reset_event.h"
#include "ui/dialog.h"
#include "ui/log_name.h"
#include "ui/resource.h"

class Clock;

// An icon as the host knows it: the resource id of the icon.
using IconHandle = std::intptr_t;

class COrvaneDlg : public CDialogEx {
public:
    // The dialog on template 102, shown through host; every wait of the
    // dialog (stopping the receive loop, the download's waits) goes through
    // clock.
    COrvaneDlg(DialogHost* host, Clock* clock);
    ~COrvaneDlg() override;

    int OnInitDialog() override;

    // --- output pane ---
    // Appends text (up to a zero code unit) to the pane. Safe on any thread
    // and never waits for the window thread: off the window thread the text
    // is queued under a small lock and the window thread takes it in.
    void AppendOutput(const char16_t* text);
    void AppendOutput(std::u16string_view text);
    void ClearOutput();
    void BeginTestOutput();
    // Takes text appended on other threads into m_strOutput and the pane.
    // Every window-thread use of the output text calls it first.
    void TakeInPendingOutput();

    // --- handlers of the dispatch table ---
    void OnSysCommand(unsigned nID, std::intptr_t lParam);
    void OnPaint();
    IconHandle OnQueryDragIcon();
    void OnBnClickedLoadScript();
    void OnBnClickedDownload();                                        // control/
    void OnBnClickedCalibration();                                     // control/
    std::intptr_t OnTargetStatus(std::uintptr_t wParam, std::intptr_t lParam);  // control/
    void OnBnClickedSaveCalibration();
    void OnBnClickedStressTest();                                      // control/
    void OnBnClickedSaveStress();
    void OnCbnSelchangeVddArmMode();
    void OnCbnSelchangeVddSocMode();
    void OnBnClickedVddArmDown();
    void OnBnClickedVddArmUp();
    void OnBnClickedVddSocDown();
    void OnBnClickedVddSocUp();
    void OnBnClickedRead();                                            // control/
    void OnBnClickedWrite();                                           // control/
    void OnBnClickedSetVoltage();                                      // control/
    std::intptr_t OnOutputFlush(std::uintptr_t wParam, std::intptr_t lParam);

    // --- firmware link (control/) ---
    // Sends the 8-byte sync head packet; 1 when all 8 bytes went out.
    int send_sync_head();
    // The receive thread's function; param is the dialog. Returns 0.
    static unsigned ReceiveLoop(void* param);
    // Stops a running receive loop: signals m_hStopEvent, waits for
    // m_hStoppedEvent in short steps of the dialog's clock and joins the
    // thread. Does nothing when no loop runs. Does not close the device.
    void StopReceiveLoop();

    // --- for the front ends and tests ---
    // Where the local time of a log name comes from (the system's by default).
    void SetLocalTimeSource(std::function<std::tm()> source) { m_localTime = std::move(source); }
    // The folder of the result logs ("log" below the current folder by default).
    void SetLogFolder(std::string folder) { m_strLogFolder = std::move(folder); }
    Clock* GetClock() const { return m_pClock; }
    // Position of the minimised window's icon in its client area.
    static void IconOrigin(int client_width, int client_height, int icon_width, int icon_height,
                           int& x, int& y);

    // --- fields, in their declared order ---
    IconHandle m_hIcon;
    int m_nTarget = 0;
    CComboBox m_cbTarget;
    CComboBox m_cbDensity;
    CComboBox m_cbArmSpeed;
    std::u16string m_strScriptPath;
    CEdit m_edScriptPath;
    CComboBox m_cbDdrCs;
    CComboBox m_cbDdrChannel;
    CEdit m_edOutput;
    std::u16string m_strOutput;
    int m_bLinkUp = 0;
    std::unique_ptr<AutoResetEvent> m_hStopEvent;     // asks the receive loop to stop
    std::unique_ptr<AutoResetEvent> m_hStoppedEvent;  // the receive loop has stopped
    CButton m_btnCalibration;
    CButton m_btnStressTest;
    CButton m_btnSaveCalibration;
    CButton m_btnSaveStress;
    CButton m_btnDownload;
    CButton m_chkVerifyDcd;
    int m_nDdrFreq;
    int m_nEndFreq;
    int m_nStartFreq;
    int m_nVddArmCode = 0;
    int m_nVddSocCode = 0;
    std::u16string m_strBaseline;
    int m_bHaveBaseline = 0;
    CButton m_chkOverNight;
    CComboBox m_cbVddArmMode;
    CComboBox m_cbVddSocMode;
    CEdit m_edVddArm;
    CEdit m_edVddSoc;
    CButton m_btnVddArmDown;
    CButton m_btnVddArmUp;
    CButton m_btnVddSocDown;
    CButton m_btnVddSocUp;
    std::u16string m_strMr1;   // at most 4 characters
    std::u16string m_strAddr;  // at most 8 characters
    std::u16string m_strData;  // at most 8 characters
    CComboBox m_cbSize;
    CButton m_btnSetVoltage;
    CButton m_btnRead;
    CButton m_btnWrite;
    int m_bShowAccessWarning = 0;

    // The thread running ReceiveLoop while the firmware link is up.
    std::thread m_receiveThread;

protected:
    std::span<const MessageMapEntry> GetMessageMap() const override;
    void DoDataExchange(CDataExchange* pDX) override;
    // Enter in a field does nothing: closing would drop a live firmware link
    // and unsaved results. Esc and the close box still close the window.
    void OnOK() override;
    // Stops the receive loop and closes the device before the window goes.
    void OnCancel() override;

private:
    bool OnWindowThread() const { return std::this_thread::get_id() == m_windowThread; }
    // Appends on the window thread, after the pending text.
    void AppendOnWindowThread(std::u16string_view text);
    void ShowWholeOutput(bool scroll_to_end);
    void SaveResult(LogKind kind);
    // Ends the firmware link for good: loop stopped, device closed.
    void CloseFirmwareLink();
    void SetRailMode(CComboBox& mode, CButton& down, CButton& up, CEdit& value, int& code);
    void StepRail(CEdit& value, int& code, int step);

    Clock* m_pClock;
    std::thread::id m_windowThread;
    std::function<std::tm()> m_localTime;
    std::string m_strLogFolder = "log";

    // Text appended off the window thread and not yet taken in.
    std::mutex m_pendingLock;
    std::u16string m_strPending;
    bool m_bFlushPosted = false;
};
