// The two buttons that take a file: "发送文件" (CFileSender, driven by SEND_FILE_TIMER) and
// "保存接收区" (SaveReceiveText). The window only asks for the file, wires and reports.
#include "ui/LumetraDlg.h"

#include <algorithm>

#include "ui/receive/ReceiveTextFile.h"

namespace {

const wchar_t kSendFileCaption[] = L"发送文件";
const wchar_t kStopSendFileCaption[] = L"停止发送";
const wchar_t kAnyFileFilter[] = L"所有文件 (*.*)|*.*||";
const wchar_t kTextFileFilter[] = L"文本文件 (*.txt)|*.txt|所有文件 (*.*)|*.*||";
// The pieces one tick may hand to a port that takes each at once: a pseudo-terminal or a USB
// adapter's buffer; a line that is still sending holds one waiting behind the one going out.
const int kFilePiecesPerTick = 16;
const UINT kSendFileTickMs = 10;

// pszFormat takes the file's path, then the system's reason.
CString FileErrorText(LPCWSTR pszFormat, const std::wstring& strPath, DWORD dwError)
{
    CString strText;
    strText.Format(pszFormat, strPath.c_str(), SystemErrorText(dwError).c_str());
    return strText;
}

CString PortRefusedText(const std::wstring& strPath)
{
    CString strText;
    strText.Format(L"串口不接受数据，文件“%s”的发送已停止。", strPath.c_str());
    return strText;
}

CString BytesUnsentText(const FileSendError& error)
{
    CString strText;
    strText.Format(L"串口有 %lu 字节未能发出（写超时：对方是否在接收？或因线路错误被清除），文件“%s”的发送已停止。",
                   error.nUnsent, error.strPath.c_str());
    return strText;
}

}  // namespace

// Sends nothing while the port is closed, as 发 送 does; while a file goes, the button stops it.
void CLumetraDlg::OnBnClickedSendFile()
{
    if (m_fileSender.IsSending()) {
        StopFileSend();
        return;
    }
    if (!m_Comm.IsOpen())
        return;
    CString strPath;
    if (!AskSendFilePath(strPath))
        return;
    ShowCounters();   // takes what earlier sends left unsent: no part of this file
    const DCB* pState = m_Comm.ReadPortState();
    FileSendError error;
    if (!m_fileSender.Start(strPath, FilePieceBytes(pState != nullptr ? pState->BaudRate : CBR_9600), error)) {
        ReportError(FileErrorText(L"无法打开文件“%s”，未发送：%s", error.strPath, error.dwError));
        return;
    }
    SetDlgItemText(IDC_SEND_FILE, kStopSendFileCaption);
    SetTimer(SEND_FILE_TIMER, kSendFileTickMs);
    ShowCounters();
    PumpFileSend();
}

// Each tick hands the next pieces to the port once it has taken the previous ones; 发送 counts
// them as they go and the progress shows with the counters.
void CLumetraDlg::PumpFileSend()
{
    ULONGLONG nTaken = 0;
    FileSendError error;
    const CFileSender::Progress progress = m_fileSender.Pump(m_Comm, kFilePiecesPerTick, nTaken, error);
    m_nSentCount += nTaken;
    if (progress == CFileSender::Progress::Sending)
        return;
    EndFileSend();   // before a message box, whose loop would dispatch more ticks
    if (progress == CFileSender::Progress::ReadFailed)
        ReportError(FileErrorText(L"读取文件“%s”失败，发送已停止：%s", error.strPath, error.dwError));
    else if (progress == CFileSender::Progress::PortRefused)
        ReportError(PortRefusedText(m_fileSender.Path()));
    else if (progress == CFileSender::Progress::BytesUnsent) {
        DiscountUnsentBytes(error.nUnsent);
        ShowCounters();
        ReportError(BytesUnsentText(error));
    }
}

void CLumetraDlg::DiscountUnsentBytes(DWORD nUnsent)
{
    m_nSentCount -= std::min<ULONGLONG>(nUnsent, m_nSentCount);
}

void CLumetraDlg::StopFileSend()
{
    if (!m_fileSender.IsSending())
        return;
    m_fileSender.Stop();
    EndFileSend();
}

void CLumetraDlg::EndFileSend()
{
    KillTimer(SEND_FILE_TIMER);
    SetDlgItemText(IDC_SEND_FILE, kSendFileCaption);
    ShowCounters();
}

void CLumetraDlg::ShowFileProgress()
{
    if (m_fileSender.Path().empty())
        return;   // no file sent yet: the label stays empty
    const ULONGLONG nSent = m_fileSender.BytesSent();
    const ULONGLONG nSize = m_fileSender.FileSize();
    if (nSent == m_nShownFileSent && nSize == m_nShownFileSize)
        return;
    CString strProgress;
    strProgress.Format(L"已发 %llu/%llu", nSent, nSize);
    SetDlgItemText(IDC_SEND_FILE_PROGRESS, strProgress);
    m_nShownFileSent = nSent;
    m_nShownFileSize = nSize;
}

bool CLumetraDlg::AskSendFilePath(CString& strPath)
{
    CFileDialog dlg(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR,
                    kAnyFileFilter, this);
    if (dlg.DoModal() != IDOK)
        return false;
    strPath = dlg.GetPathName();
    return true;
}

// The area's text as it stands, what the user typed into it included.
void CLumetraDlg::OnBnClickedSaveReceive()
{
    CString strPath;
    if (!AskSaveReceivePath(strPath))
        return;
    CString strText;
    GetDlgItemText(IDC_RECEIVE_EDIT, strText);
    SessionLogError error;
    const std::wstring text(strText.GetString(), static_cast<size_t>(strText.GetLength()));
    if (!SaveReceiveText(SystemLogFileApi(), strPath, text, error))
        ReportError(FileErrorText(L"保存接收区到文件“%s”失败：%s", error.strPath, error.dwError));
}

bool CLumetraDlg::AskSaveReceivePath(CString& strPath)
{
    return AskNewFilePath(L"txt", kTextFileFilter, strPath);
}

bool CLumetraDlg::AskNewFilePath(LPCWSTR pszExtension, LPCWSTR pszFilter, CString& strPath)
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    CFileDialog dlg(FALSE, pszExtension, SuggestDatedFileName(now, pszExtension).c_str(),
                    OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR, pszFilter, this);
    if (dlg.DoModal() != IDOK)
        return false;
    strPath = dlg.GetPathName();
    return true;
}
