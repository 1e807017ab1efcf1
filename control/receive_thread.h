// Starting the receive thread of the firmware link.
#pragma once

class COrvaneDlg;

// Starts COrvaneDlg::ReceiveLoop on dlg.m_receiveThread at normal priority.
// False when the thread could not be created; nothing runs then.
bool receive_thread_start(COrvaneDlg& dlg);

// For tests: replaces how the thread is created; nullptr restores the
// normal start.
using ReceiveThreadStarter = bool (*)(COrvaneDlg& dlg);
void receive_thread_set_starter(ReceiveThreadStarter starter);
