// COrvaneDlg: construction, data exchange, start-up, the dispatch table, the
// About box, the script picker and the close path.
#include "ui/orvane_dlg.h"

#include <chrono>

#include "ui/about_dlg.h"
#include "ui/volt_code.h"
#include "usb/clock.h"
#include "usb/hid_link.h"

namespace {

constexpr MessageMapEntry kMessageMap[] = {
    on_syscommand<&COrvaneDlg::OnSysCommand>(),
    on_plain_message<&COrvaneDlg::OnPaint>(DLG_WM_PAINT),
    on_plain_message<&COrvaneDlg::OnQueryDragIcon>(DLG_WM_QUERYDRAGICON),
    on_notify<&COrvaneDlg::OnBnClickedLoadScript>(DLG_BN_CLICKED, IDC_LOAD_SCRIPT),
    on_notify<&COrvaneDlg::OnBnClickedDownload>(DLG_BN_CLICKED, IDC_DOWNLOAD),
    on_notify<&COrvaneDlg::OnBnClickedCalibration>(DLG_BN_CLICKED, IDC_CALIBRATION),
    on_message<&COrvaneDlg::OnTargetStatus>(WM_TARGET_STATUS),
    on_notify<&COrvaneDlg::OnBnClickedSaveCalibration>(DLG_BN_CLICKED, IDC_SAVE_CALIBRATION),
    on_notify<&COrvaneDlg::OnBnClickedStressTest>(DLG_BN_CLICKED, IDC_STRESS_TEST),
    on_notify<&COrvaneDlg::OnBnClickedSaveStress>(DLG_BN_CLICKED, IDC_SAVE_STRESS),
    on_notify<&COrvaneDlg::OnCbnSelchangeVddArmMode>(DLG_CBN_SELCHANGE, IDC_VDD_ARM_MODE),
    on_notify<&COrvaneDlg::OnCbnSelchangeVddSocMode>(DLG_CBN_SELCHANGE, IDC_VDD_SOC_MODE),
    on_notify<&COrvaneDlg::OnBnClickedVddArmDown>(DLG_BN_CLICKED, IDC_VDD_ARM_DOWN),
    on_notify<&COrvaneDlg::OnBnClickedVddArmUp>(DLG_BN_CLICKED, IDC_VDD_ARM_UP),
    on_notify<&COrvaneDlg::OnBnClickedVddSocDown>(DLG_BN_CLICKED, IDC_VDD_SOC_DOWN),
    on_notify<&COrvaneDlg::OnBnClickedVddSocUp>(DLG_BN_CLICKED, IDC_VDD_SOC_UP),
    on_notify<&COrvaneDlg::OnBnClickedRead>(DLG_BN_CLICKED, IDC_READ),
    on_notify<&COrvaneDlg::OnBnClickedWrite>(DLG_BN_CLICKED, IDC_WRITE),
    on_notify<&COrvaneDlg::OnBnClickedSetVoltage>(DLG_BN_CLICKED, IDC_SET_VOLTAGE),
    // Our own: text appended on the receive thread reaches the pane.
    on_message<&COrvaneDlg::OnOutputFlush>(WM_OUTPUT_FLUSH),
};

void fill_list(CComboBox& list, std::initializer_list<const char16_t*> rows) {
    list.ResetContent();
    for (const char16_t* row : rows) list.AddString(row);
    list.SetCurSel(0);
}

}  // namespace

COrvaneDlg::COrvaneDlg(DialogHost* host, Clock* clock)
    : CDialogEx(IDD_ORVANE_DIALOG, host),
      m_hIcon(IDR_MAINFRAME),
      m_nDdrFreq(0),
      m_nEndFreq(0),
      m_nStartFreq(0),
      m_pClock(clock),
      m_windowThread(std::this_thread::get_id()),
      m_localTime(log_local_time_now) {}

COrvaneDlg::~COrvaneDlg() {
    // A receive loop must never outlive the dialog it calls into.
    if (m_bLinkUp || m_receiveThread.joinable()) {
        StopReceiveLoop();
        hid_close_device();
        m_bLinkUp = 0;
    }
}

std::span<const MessageMapEntry> COrvaneDlg::GetMessageMap() const { return kMessageMap; }

void COrvaneDlg::DoDataExchange(CDataExchange* pDX) {
    // A read-back of the pane first takes in every pending append.
    TakeInPendingOutput();
    DDX_Control(pDX, IDC_TARGET, m_cbTarget);
    DDX_Control(pDX, IDC_DDR_DENSITY, m_cbDensity);
    DDX_Control(pDX, IDC_ARM_SPEED, m_cbArmSpeed);
    DDX_Text(pDX, IDC_SCRIPT_PATH, m_strScriptPath);
    DDX_Control(pDX, IDC_SCRIPT_PATH, m_edScriptPath);
    DDX_Control(pDX, IDC_DDR_CS, m_cbDdrCs);
    DDX_Control(pDX, IDC_DDR_CHANNEL, m_cbDdrChannel);
    DDX_Control(pDX, IDC_OUTPUT, m_edOutput);
    DDX_Text(pDX, IDC_OUTPUT, m_strOutput);
    // The pane and m_strOutput agree now: the next append may go at the end.
    if (!pDX->m_bFailed) m_edOutput.SetModify(false);
    DDX_Control(pDX, IDC_CALIBRATION, m_btnCalibration);
    DDX_Control(pDX, IDC_STRESS_TEST, m_btnStressTest);
    DDX_Control(pDX, IDC_SAVE_CALIBRATION, m_btnSaveCalibration);
    DDX_Control(pDX, IDC_SAVE_STRESS, m_btnSaveStress);
    DDX_Control(pDX, IDC_DOWNLOAD, m_btnDownload);
    DDX_Control(pDX, IDC_VERIFY_DCD, m_chkVerifyDcd);
    DDX_Text(pDX, IDC_DDR_FREQ, m_nDdrFreq);
    DDX_Text(pDX, IDC_END_FREQ, m_nEndFreq);
    DDX_Text(pDX, IDC_START_FREQ, m_nStartFreq);
    DDX_Control(pDX, IDC_OVER_NIGHT, m_chkOverNight);
    DDX_Control(pDX, IDC_VDD_ARM_MODE, m_cbVddArmMode);
    DDX_Control(pDX, IDC_VDD_SOC_MODE, m_cbVddSocMode);
    DDX_Control(pDX, IDC_VDD_ARM, m_edVddArm);
    DDX_Control(pDX, IDC_VDD_SOC, m_edVddSoc);
    DDX_Control(pDX, IDC_VDD_ARM_DOWN, m_btnVddArmDown);
    DDX_Control(pDX, IDC_VDD_ARM_UP, m_btnVddArmUp);
    DDX_Control(pDX, IDC_VDD_SOC_DOWN, m_btnVddSocDown);
    DDX_Control(pDX, IDC_VDD_SOC_UP, m_btnVddSocUp);
    DDX_TextLimited(pDX, IDC_MR1, m_strMr1, 4);
    DDX_TextLimited(pDX, IDC_ADDR, m_strAddr, 8);
    DDX_TextLimited(pDX, IDC_DATA, m_strData, 8);
    DDX_Control(pDX, IDC_READ_SIZE, m_cbSize);
    DDX_Control(pDX, IDC_SET_VOLTAGE, m_btnSetVoltage);
    DDX_Control(pDX, IDC_READ, m_btnRead);
    DDX_Control(pDX, IDC_WRITE, m_btnWrite);
}

int COrvaneDlg::OnInitDialog() {
    m_windowThread = std::this_thread::get_id();
    // 1. Attach the controls, first exchange towards the window.
    CDialogEx::OnInitDialog();
    // The pane keeps every character: no limit of the edit control applies
    // to text the program appends.
    m_edOutput.LimitText(0);
    // 2-3. The system-menu item (string 101) and the window icons are the
    // host's: it adds them when it creates the window (see control_table.h).
    // 4-8. The settings lists.
    fill_list(m_cbTarget, {u"KT310", u"KT320", u"KT330", u"KT340", u"KT350", u"KT410"});
    fill_list(m_cbDensity, {u"Default", u"4GB", u"2GB", u"1GB", u"512MB", u"256MB", u"128MB",
                            u"64MB", u"32MB"});
    fill_list(m_cbArmSpeed, {u"Default", u"800MHz", u"1GHz", u"1.2GHz"});
    fill_list(m_cbDdrCs, {u"0", u"ALL"});
    fill_list(m_cbDdrChannel, {u"0", u"1", u"ALL"});
    // 9-10. Both rails in Auto.
    fill_list(m_cbVddArmMode, {u"Auto", u"Manual"});
    m_btnVddArmDown.EnableWindow(false);
    m_btnVddArmUp.EnableWindow(false);
    m_edVddArm.SetWindowText(u"auto");
    m_nVddArmCode = VOLT_CODE_AUTO;
    fill_list(m_cbVddSocMode, {u"Auto", u"Manual"});
    m_btnVddSocDown.EnableWindow(false);
    m_btnVddSocUp.EnableWindow(false);
    m_edVddSoc.SetWindowText(u"auto");
    m_nVddSocCode = VOLT_CODE_AUTO;
    // 11.
    m_chkVerifyDcd.SetCheck(DLG_BST_CHECKED);
    // 12.
    m_btnCalibration.EnableWindow(false);
    m_btnSaveCalibration.EnableWindow(false);
    m_btnStressTest.EnableWindow(false);
    m_btnSaveStress.EnableWindow(false);
    m_btnRead.EnableWindow(false);
    m_btnWrite.EnableWindow(false);
    m_btnSetVoltage.EnableWindow(false);
    m_btnDownload.EnableWindow(true);
    // 13.
    fill_list(m_cbSize, {u"1 WORD", u"4 WORD", u"8 WORD", u"16 WORD", u"32 WORD"});
    // 14-15.
    m_strMr1 = u"0000";
    m_strScriptPath.clear();
    m_strOutput.clear();
    m_bLinkUp = 0;
    m_bHaveBaseline = 0;
    m_bShowAccessWarning = 1;
    // 16.
    UpdateData(false);
    // 17. The stop events; without names, so no other instance can meet them.
    m_hStopEvent = std::make_unique<AutoResetEvent>();
    m_hStoppedEvent = std::make_unique<AutoResetEvent>();
    // 18. The host puts the focus on the first control in tab order.
    return 1;
}

void COrvaneDlg::OnSysCommand(unsigned nID, std::intptr_t lParam) {
    if ((nID & 0xFFF0u) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout(m_pHost);
        dlgAbout.DoModal();
    } else {
        CDialogEx::OnSysCommand(nID, lParam);
    }
}

void COrvaneDlg::OnPaint() {
    // The host paints: while minimised it draws m_hIcon at IconOrigin, else
    // it paints as a dialog does.
    Default();
}

void COrvaneDlg::IconOrigin(int client_width, int client_height, int icon_width, int icon_height,
                            int& x, int& y) {
    x = (client_width - icon_width + 1) / 2;
    y = (client_height - icon_height + 1) / 2;
}

IconHandle COrvaneDlg::OnQueryDragIcon() { return m_hIcon; }

void COrvaneDlg::OnBnClickedLoadScript() {
    if (!m_pHost) return;
    FilePickRequest request{u"Script Files(*.inc;*.ds)|*.inc;*.ds|All Files(*.*)|*.*|", u"*.inc"};
    std::optional<std::u16string> path = m_pHost->pick_open_file(request);
    if (!path) return;
    m_strScriptPath = *path;
    m_edScriptPath.SetWindowText(m_strScriptPath);
}

void COrvaneDlg::OnOK() {}

void COrvaneDlg::OnCancel() {
    CloseFirmwareLink();
    TakeInPendingOutput();
    EndDialog(DLG_IDCANCEL);
}

void COrvaneDlg::StopReceiveLoop() {
    if (!m_receiveThread.joinable()) return;
    if (m_hStopEvent) m_hStopEvent->set();
    // Short steps, so that a virtual clock moves on for the loop's reads.
    while (m_hStoppedEvent && !m_hStoppedEvent->wait_for(0)) {
        if (m_pClock)
            m_pClock->sleep_for(10);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    m_receiveThread.join();
}

void COrvaneDlg::CloseFirmwareLink() {
    if (!m_bLinkUp && !m_receiveThread.joinable()) return;
    StopReceiveLoop();
    hid_close_device();
    m_bLinkUp = 0;
}
