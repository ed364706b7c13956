#include "ZARVDlg.h"

void CZARVDlg::OnOptions() {}

void CZARVDlg::OnAbout() {}
