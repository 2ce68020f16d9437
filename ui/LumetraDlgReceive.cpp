// The receive area: received bytes appended as text (the most recent of them: see
// ReceiveTextTrim.h), the pause option and the clear button.
#include "ui/LumetraDlg.h"

#include "ui/ReceiveLongRuns.h"
#include "ui/ReceiveTextTrim.h"

// Received text always leaves the trim a line start within reach.
static_assert(kReceiveLongestRun + 2 < (kReceiveTextBound - kReceiveTextKeep) / 2,
              "a run of received text must be shorter than the stretch a trim looks over");

namespace {
// Most chunks one receive notification shows in one refresh of the receive area.
constexpr int kReceiveChunksPerRefresh = 4;
}  // namespace

LRESULT CLumetraDlg::OnCommReceive(WPARAM wParam, LPARAM /*lParam*/)
{
    if (!m_Comm.IsOpen())
        return 0;
    // Notifications still queued for the previous port of a reconnect carry its number.
    if (static_cast<int>(wParam) != m_Comm.PortNumber())
        return 1;
    // Dispatched by the loop of an exchange's validation message: returns at once instead of
    // nesting another exchange (and another message). The monitor keeps notifying while bytes
    // are queued, so nothing is lost.
    if (m_bReadingControls)
        return 1;

    // Notifications that queued up meanwhile say nothing new: the monitor keeps posting while
    // bytes remain queued (and every 10 ms while a vanished port fails its status query). Left
    // in the queue, each would hold the window for a read of its own, and a backlog that grows
    // faster than it is handled would keep the user's clicks and keys waiting behind it for good.
    MSG queued;
    while (::PeekMessageW(&queued, m_hWnd, CSerialLink::CNM_RECEIVE, CSerialLink::CNM_RECEIVE,
                          PM_REMOVE)) {
    }

    ReadControls();
    BYTE chunk[CSerialLink::READ_CHUNK];   // the decoder takes the count: no terminator needed
    do {
        // The chunks already waiting are shown in one refresh, up to a few: the edit control's
        // cost per refresh grows with the text it holds, far more than with the size of the
        // piece appended, so a busy line is kept up with by appending more at a time, not more
        // often. The notification still ends after these few, so clicks and keys get their turn.
        std::wstring received;
        for (int nChunk = 0; nChunk < kReceiveChunksPerRefresh; ++nChunk) {
            const DWORD nRead = m_Comm.Read(chunk);
            TakeReceivedBytes(chunk, nRead);   // counted and logged, paused or not
            if (m_bPauseDisplay)
                m_receiveFormatter.Interrupt();   // paused bytes are dropped, with any character they end
            else
                FormatReceivedBytes(chunk, nRead, received);
            if (!m_Comm.HasBytesToRead())
                break;
        }
        // Paused, the area is left exactly as it is, caret and scroll position included, so the
        // user can read and select in it.
        if (m_bPauseDisplay)
            continue;
        m_strReceive += BreakReceiveLongRuns(m_strReceive.GetString(),
                                             static_cast<size_t>(m_strReceive.GetLength()), received).c_str();
        TrimReceiveText();
        ScrollReceiveToEnd();
        // The control holds the start of the text, so the refresh appends the new tail, which
        // leaves the caret at the end and the end in view.
        UpdateData(FALSE);
    } while ((m_Comm.Mode() & CSerialLink::MODE_RX_BUFFER) != 0 && m_Comm.HasBytesToRead());
    RefreshOptions();
    return 1;
}

// Called with the control showing the text before the latest chunk. The same oldest lines leave
// the control as leave the member, so the control still shows the start of the member: rewriting
// the whole text instead costs Wine's edit control seconds at this length, deleting the front
// about as much as one append.
void CLumetraDlg::TrimReceiveText()
{
    const int nDrop = static_cast<int>(
        ReceiveTextTrimLength(m_strReceive.GetString(), static_cast<size_t>(m_strReceive.GetLength())));
    if (nDrop == 0)
        return;
    m_strReceive.Delete(0, nDrop);
    CWnd* pReceive = GetDlgItem(IDC_RECEIVE_EDIT);
    pReceive->SendMessage(EM_SETSEL, 0, static_cast<LPARAM>(nDrop));
    pReceive->SendMessage(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
}

void CLumetraDlg::ScrollReceiveToEnd()
{
    CWnd* pReceive = GetDlgItem(IDC_RECEIVE_EDIT);
    const int nLength = pReceive->GetWindowTextLength();
    pReceive->SendMessage(EM_SETSEL, static_cast<WPARAM>(nLength), static_cast<LPARAM>(nLength));
    pReceive->SendMessage(EM_SCROLLCARET, 0, 0);
}

// Only the receive area is written: whatever the user has changed in the other controls since
// the last exchange stays as it is on screen.
void CLumetraDlg::OnBnClickedClearReceive()
{
    m_strReceive.Empty();
    m_receiveFormatter.Clear();
    CDataExchange dx(this, FALSE);
    DDX_Text(&dx, IDC_RECEIVE_EDIT, m_strReceive);
}
