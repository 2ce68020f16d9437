// The receive area: received bytes appended as text (the most recent of them: see
// ReceiveTextTrim.h) at a reader's pace (see ReceivePacer.h), the pause option and the clear button.
#include "ui/LumetraDlg.h"

#include <algorithm>

#include "ui/receive/ReceiveLongRuns.h"
#include "ui/receive/ReceiveTextTrim.h"
#include "ui/receive/ReceiveTimestamp.h"

// Received text always leaves the trim a line start within reach.
static_assert(kReceiveLongestRun + 2 < (kReceiveTextBound - kReceiveTextKeep) / 2,
              "a run of received text must be shorter than the stretch a trim looks over");

namespace {
// How often the monitor repeats its notification while bytes keep coming.
constexpr DWORD kNotificationRepeatMs = 10;
}  // namespace

LRESULT CLumetraDlg::OnCommReceive(WPARAM wParam, LPARAM /*lParam*/)
{
    if (!m_Comm.IsOpen())
        return 0;
    // Notifications still queued for the previous port of a reconnect carry its number.
    if (static_cast<int>(wParam) != m_Comm.PortNumber())
        return 1;

    // Notifications that queued up meanwhile say nothing new: this one takes every byte staged
    // so far. Left in the queue, each would cost a handler run of its own, and a backlog that
    // grows faster than it is handled would keep the user's clicks and keys waiting behind it.
    // Only a notification handled 10 ms or more after it was posted can have another behind it;
    // looking costs a round trip to the window manager (to its server under Wine), so a
    // notification handled on time, as on a line that the window keeps up with, does not look.
    if (::GetTickCount() - static_cast<DWORD>(::GetMessageTime()) >= kNotificationRepeatMs) {
        MSG queued;
        while (::PeekMessageW(&queued, m_hWnd, CSerialLink::CNM_RECEIVE, CSerialLink::CNM_RECEIVE,
                              PM_REMOVE)) {
        }
    }

    // Only the pause box is exchanged here (an exchange that cannot be refused, so also while a
    // validation message is up); the other controls wait for the refresh that shows the text.
    {
        CDataExchange dx(this, TRUE);
        DDX_Check(&dx, IDC_PAUSE_DISPLAY, m_bPauseDisplay);
    }
    TakeStagedBytes();

    // Paused, the area is left exactly as it is, caret and scroll position included, so the user
    // can read and select in it; text read before the pause and not yet shown goes too.
    if (m_bPauseDisplay) {
        DropHeldReceiveText();
        RefreshOptions();   // the counters go on counting what is read while paused
        return 1;
    }
    // Bytes that make no character yet (half of a double-byte one, zero bytes) hold nothing; the
    // counters show them with the next look at the options (OPTIONS_TIMER).
    if (m_receiveHeld.IsEmpty()) {
        m_receivePacer.Dropped();
        return 1;
    }
    if (HeldTextDueNow())
        RefreshReceiveArea();
    return 1;
}

bool CLumetraDlg::HeldTextDueNow()
{
    const bool bRefreshDue = m_receivePacer.IsHolding();   // its timer is already set
    const DWORD nWaitMs = m_receivePacer.TextRead(::GetTickCount());
    // While a validation message is up, the refresh timer waits for it to go (see OnTimer). A
    // refresh that came due sooner (the text held is full) replaces the one already set.
    if (nWaitMs == 0 && !m_bReadingControls)
        return true;
    if (!bRefreshDue || m_receivePacer.IsFull())
        SetTimer(RECEIVE_REFRESH_TIMER, nWaitMs == 0 ? CReceivePacer::kIntervalMs : nWaitMs);
    return false;
}

// Called with the controls just read by the send. Sent bytes are not received bytes: they reach
// neither the receive counter nor the session log, only the area's text. Paused, the area stays
// as it is and the send is not shown.
void CLumetraDlg::ShowSentBytes(const std::string& bytes)
{
    if (!m_bShowSent || m_bPauseDisplay)
        return;
    TakeStagedBytes();   // received before the send, so shown before it
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    std::wstring text;
    m_receiveFormatter.FormatSent(bytes, LocalMilliseconds(now), text);
    m_receiveHeld.AddSent(std::move(text), m_bHexDisplay != FALSE);
    if (HeldTextDueNow())
        ShowHeldReceiveText();
}

// Every byte the port object has staged, with the time it arrived: counted and logged exactly
// as read, paused or not, and (unless paused) formatted for the area. The monitor stages bytes
// as they come, whatever this thread is doing, so the times and packets are the bytes' own.
void CLumetraDlg::TakeStagedBytes()
{
    // Arrival ticks to local time, from one reading of both clocks.
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    const ULONGLONG nLocalNow = LocalMilliseconds(now);
    const ULONGLONG nTickNow = ::GetTickCount64();

    BYTE chunk[CSerialLink::READ_CHUNK];
    CSerialLink::ReceiveTiming timing = {};
    for (;;) {
        const DWORD nRead = m_Comm.ReadReceived(chunk, sizeof chunk, &timing);
        // Bytes the port object had to drop lie between the last chunk and this one: a line says
        // so there (after a pause, at its end), and nothing pairs across the gap.
        if (timing.nLostBefore != 0) {
            m_receiveHeld.Lost(timing.nLostBefore);
            m_receiveFormatter.Interrupt(false);   // the line that says so ends its row
        }
        if (nRead == 0)
            break;
        TakeReceivedBytes(chunk, nRead);
        if (m_bPauseDisplay)
            continue;   // dropped below, with any character they end
        // A fill made after the clocks were read counts as arriving now.
        const ULONGLONG nAge = nTickNow - std::min(timing.nArrival, nTickNow);
        // The bytes a piece shows: a character begun in one chunk is shown with the next.
        const size_t nPendingBefore = m_receiveFormatter.Pending().size();
        std::wstring text;
        m_receiveFormatter.Format(chunk, nRead, nLocalNow - nAge, timing.nQuietBefore, text);
        const DWORD nShown = static_cast<DWORD>(nRead + nPendingBefore - m_receiveFormatter.Pending().size());
        m_receiveHeld.Add(std::move(text), nShown, m_bHexDisplay != FALSE);
        m_receivePacer.BytesHeld(nRead);
    }
}

// The refresh of a busy line, once its interval is over (RECEIVE_REFRESH_TIMER), or of text read
// after a quiet spell.
void CLumetraDlg::RefreshReceiveArea()
{
    ReadControls();
    ShowHeldReceiveText();
    RefreshOptions();
}

// The one place where received text enters the receive area, with the controls just read: the
// text read since the last refresh is appended in one piece (unless display was paused since).
void CLumetraDlg::ShowHeldReceiveText()
{
    KillTimer(RECEIVE_REFRESH_TIMER);
    if (m_bPauseDisplay) {
        DropHeldReceiveText();
        return;
    }
    m_receivePacer.Shown(::GetTickCount());
    if (m_receiveHeld.IsEmpty())
        return;
    // Hex rows break between bytes, never between a byte's two digits.
    const RunBreak rule = m_receiveHeld.HasHex() ? RunBreak::AfterBlank : RunBreak::BeforeCharacter;
    const std::wstring text = m_receiveHeld.Take(AreaEndsInsideLine());
    m_strReceive += BreakReceiveLongRuns(m_strReceive.GetString(), static_cast<size_t>(m_strReceive.GetLength()),
                                         text, rule).c_str();
    TrimReceiveText();
    // The control holds the start of the text, so the refresh appends the new tail, which leaves
    // the caret at the end and the end in view; only a text the exchange had to rewrite whole
    // leaves the caret elsewhere.
    UpdateData(FALSE);
    ScrollReceiveToEnd();
}

// The formatter then goes on from the area's real end: no byte pairs with a dropped one, and a
// stamp goes wherever a line starts.
void CLumetraDlg::DropHeldReceiveText()
{
    KillTimer(RECEIVE_REFRESH_TIMER);
    m_receiveHeld.DropText();
    m_receivePacer.Dropped();
    // Bytes lost before the port object could hand them over are still to be said, on a row of
    // their own that the next text follows.
    m_receiveFormatter.Interrupt(AreaEndsInsideLine() && m_receiveHeld.IsEmpty());
}

bool CLumetraDlg::AreaEndsInsideLine() const
{
    const int nShown = m_strReceive.GetLength();
    return nShown > 0 && m_strReceive.GetString()[nShown - 1] != L'\n';
}

// Called with the control showing the text before the held text. The same oldest lines leave
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

// A caret already at the end was scrolled into view by the append that put it there: scrolling
// again would cost Wine's edit control a walk over all its lines (milliseconds in a full area).
void CLumetraDlg::ScrollReceiveToEnd()
{
    CWnd* pReceive = GetDlgItem(IDC_RECEIVE_EDIT);
    const int nLength = pReceive->GetWindowTextLength();
    DWORD nSelStart = 0;
    DWORD nSelEnd = 0;
    pReceive->SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&nSelStart), reinterpret_cast<LPARAM>(&nSelEnd));
    if (nSelStart == static_cast<DWORD>(nLength) && nSelEnd == static_cast<DWORD>(nLength))
        return;
    pReceive->SendMessage(EM_SETSEL, static_cast<WPARAM>(nLength), static_cast<LPARAM>(nLength));
    pReceive->SendMessage(EM_SCROLLCARET, 0, 0);
}

// Only the receive area is written: whatever the user has changed in the other controls since
// the last exchange stays as it is on screen. Text read and not yet shown goes with the rest.
void CLumetraDlg::OnBnClickedClearReceive()
{
    m_strReceive.Empty();
    DropHeldReceiveText();
    CDataExchange dx(this, FALSE);
    DDX_Text(&dx, IDC_RECEIVE_EDIT, m_strReceive);
}
