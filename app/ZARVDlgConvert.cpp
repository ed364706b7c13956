#include "ZARVDlg.h"

void CZARVDlg::StartConversion(bool) {}

void CZARVDlg::OnListDblClk()
{
    StartConversion(true);
}
