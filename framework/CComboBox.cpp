#include "framework/CComboBox.h"

void CComboBox::GetLBText(int nIndex, CString& rString) const
{
    const int nLength = GetLBTextLen(nIndex);
    if (nLength == CB_ERR) {
        rString.Empty();
        return;
    }
    const int nCopied = GetLBText(nIndex, rString.GetBuffer(nLength + 1));
    rString.ReleaseBuffer(nCopied == CB_ERR ? 0 : nCopied);
}
