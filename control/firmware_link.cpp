// The firmware link: sync head packet, receive loop and status codes.
#include "ui/orvane_dlg.h"

int COrvaneDlg::send_sync_head() {
    return 0;  // placeholder until the firmware link lands
}

unsigned COrvaneDlg::ReceiveLoop(void*) {
    return 0;  // placeholder until the firmware link lands
}

std::intptr_t COrvaneDlg::OnTargetStatus(std::uintptr_t, std::intptr_t) {
    return 0;  // placeholder until the firmware link lands
}
