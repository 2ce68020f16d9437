// Message maps. A class that handles window messages declares DECLARE_MESSAGE_MAP() and lists its
// handlers in its source file:
//
//     BEGIN_MESSAGE_MAP(CMyDlg, CDialog)
//         ON_WM_PAINT()
//         ON_MESSAGE(WM_APP + 1, &CMyDlg::OnAppMessage)
//         ON_BN_CLICKED(IDC_START, &CMyDlg::OnBnClickedStart)
//     END_MESSAGE_MAP()
//
// Dispatch searches the class's entries in declared order, then its base class's map, and so on up
// to CCmdTarget; the first matching entry wins. WM_COMMAND is matched on its control id
// (LOWORD(wParam)) and notification code (HIWORD(wParam)); commands from menus and accelerators
// (lParam 0) count as code 0, the code of BN_CLICKED, as ON_COMMAND expects. WM_NOTIFY is matched
// the same way on the NMHDR's idFrom and code. A message that no map names gets the system's
// default processing.
//
// Each entry macro documents the handler signature it requires; a handler with another signature
// does not compile. Handlers are ordinary (usually protected) member functions, marked afx_msg by
// convention. The map's base class must really be a base of the class (checked at compile time).
#pragma once

#include <windows.h>
#include <type_traits>

#define afx_msg   // marks a member function as a message handler; expands to nothing

class CCmdTarget;

// Calls one handler on the object that owns the map and returns the message result.
typedef LRESULT (*AFX_MSG_HANDLER)(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;               // window message
    UINT nCode;                  // WM_COMMAND and WM_NOTIFY only: notification code
    UINT nID;                    // WM_COMMAND and WM_NOTIFY only: control or command id
    AFX_MSG_HANDLER pfnHandler;  // null ends the table
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();  // null for the root map
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// Root of everything that owns a message map (windows and the application object).
class CCmdTarget {
public:
    CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;
    virtual ~CCmdTarget() = default;

    virtual const AFX_MSGMAP* GetMessageMap() const;

    // Finds the entry for a message in this object's map chain; the code and id are used for
    // WM_COMMAND and WM_NOTIFY only. Null when no map names the message.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const;

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
};

// Adapters from the table's uniform handler type to each member-function signature. T is the
// class whose map holds the entry; F may be a member of T or of one of its bases.
namespace AfxMsgThunk {

template <class T, auto F>
LRESULT Void(CCmdTarget* pTarget, WPARAM, LPARAM)
{
    void (T::*pfn)() = F;
    (static_cast<T*>(pTarget)->*pfn)();
    return 0;
}

template <class T, auto F>
LRESULT UintLparam(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam)
{
    void (T::*pfn)(UINT, LPARAM) = F;
    (static_cast<T*>(pTarget)->*pfn)(static_cast<UINT>(wParam), lParam);
    return 0;
}

template <class T, auto F>
LRESULT UintPtr(CCmdTarget* pTarget, WPARAM wParam, LPARAM)
{
    void (T::*pfn)(UINT_PTR) = F;
    (static_cast<T*>(pTarget)->*pfn)(static_cast<UINT_PTR>(wParam));
    return 0;
}

template <class T, auto F>
LRESULT Hcursor(CCmdTarget* pTarget, WPARAM, LPARAM)
{
    HCURSOR (T::*pfn)() = F;
    return reinterpret_cast<LRESULT>((static_cast<T*>(pTarget)->*pfn)());
}

template <class T, auto F>
LRESULT WparamLparam(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam)
{
    LRESULT (T::*pfn)(WPARAM, LPARAM) = F;
    return (static_cast<T*>(pTarget)->*pfn)(wParam, lParam);
}

template <class T, auto F>
LRESULT Notify(CCmdTarget* pTarget, WPARAM, LPARAM lParam)
{
    void (T::*pfn)(NMHDR*, LRESULT*) = F;
    LRESULT lResult = 0;
    (static_cast<T*>(pTarget)->*pfn)(reinterpret_cast<NMHDR*>(lParam), &lResult);
    return lResult;
}

template <class T, auto F>
LRESULT DeviceChange(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam)
{
    BOOL (T::*pfn)(UINT, DWORD_PTR) = F;
    return (static_cast<T*>(pTarget)->*pfn)(static_cast<UINT>(wParam), static_cast<DWORD_PTR>(lParam));
}

}  // namespace AfxMsgThunk

#define DECLARE_MESSAGE_MAP()                                   \
protected:                                                      \
    static const AFX_MSGMAP* GetThisMessageMap();               \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                  \
    const AFX_MSGMAP* theClass::GetMessageMap() const           \
    {                                                           \
        return GetThisMessageMap();                             \
    }                                                           \
    const AFX_MSGMAP* theClass::GetThisMessageMap()             \
    {                                                           \
        typedef theClass ThisClass;                             \
        typedef baseClass TheBaseClass;                         \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                           \
            { 0, 0, 0, nullptr }                                                    \
        };                                                                          \
        static_assert(std::is_base_of<TheBaseClass, ThisClass>::value,              \
                      "the base class of a message map must be a base of its class"); \
        static const AFX_MSGMAP messageMap = { &TheBaseClass::GetThisMessageMap, &entries[0] }; \
        return &messageMap;                                                         \
    }

// ---- Entries. Each comment gives the handler's signature. ----

// LRESULT OnMessage(WPARAM wParam, LPARAM lParam): any message, typically WM_USER/WM_APP based.
// The result is the message's result.
#define ON_MESSAGE(message, memberFxn) \
    { static_cast<UINT>(message), 0, 0, &AfxMsgThunk::WparamLparam<ThisClass, memberFxn> },

// void OnCommand(): WM_COMMAND with id from a menu, an accelerator or a BN_CLICKED.
#define ON_COMMAND(id, memberFxn) \
    { WM_COMMAND, 0, static_cast<UINT>(id), &AfxMsgThunk::Void<ThisClass, memberFxn> },

// void OnNotification(): WM_COMMAND with notification code wNotifyCode from control id.
#define ON_CONTROL(wNotifyCode, id, memberFxn) \
    { WM_COMMAND, static_cast<UINT>(wNotifyCode), static_cast<UINT>(id), &AfxMsgThunk::Void<ThisClass, memberFxn> },

// void OnBnClickedX(): a button was clicked.
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
// void OnCbnSelchangeX(): a combo box's selection changed.
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
// void OnEnChangeX(): an edit control's text changed.
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
// void OnCbnDropdownX(): a combo box's list is about to open.
#define ON_CBN_DROPDOWN(id, memberFxn) ON_CONTROL(CBN_DROPDOWN, id, memberFxn)

// void OnNotifyX(NMHDR* pNMHDR, LRESULT* pResult): WM_NOTIFY with code wNotifyCode from control
// id. *pResult starts at 0 and becomes the message result.
#define ON_NOTIFY(wNotifyCode, id, memberFxn) \
    { WM_NOTIFY, static_cast<UINT>(wNotifyCode), static_cast<UINT>(id), &AfxMsgThunk::Notify<ThisClass, memberFxn> },

// void OnPaint()
#define ON_WM_PAINT() \
    { WM_PAINT, 0, 0, &AfxMsgThunk::Void<ThisClass, &ThisClass::OnPaint> },
// void OnClose()
#define ON_WM_CLOSE() \
    { WM_CLOSE, 0, 0, &AfxMsgThunk::Void<ThisClass, &ThisClass::OnClose> },
// void OnDestroy()
#define ON_WM_DESTROY() \
    { WM_DESTROY, 0, 0, &AfxMsgThunk::Void<ThisClass, &ThisClass::OnDestroy> },
// void OnSysCommand(UINT nID, LPARAM lParam)
#define ON_WM_SYSCOMMAND() \
    { WM_SYSCOMMAND, 0, 0, &AfxMsgThunk::UintLparam<ThisClass, &ThisClass::OnSysCommand> },
// void OnTimer(UINT_PTR nIDEvent)
#define ON_WM_TIMER() \
    { WM_TIMER, 0, 0, &AfxMsgThunk::UintPtr<ThisClass, &ThisClass::OnTimer> },
// BOOL OnDeviceChange(UINT nEventType, DWORD_PTR dwData): a device arrived, left or changed
// (DBT_... event, its data). TRUE grants a request; other events ignore the result.
#define ON_WM_DEVICECHANGE() \
    { WM_DEVICECHANGE, 0, 0, &AfxMsgThunk::DeviceChange<ThisClass, &ThisClass::OnDeviceChange> },
// HCURSOR OnQueryDragIcon(): the image shown while the minimised window is dragged.
#define ON_WM_QUERYDRAGICON() \
    { WM_QUERYDRAGICON, 0, 0, &AfxMsgThunk::Hcursor<ThisClass, &ThisClass::OnQueryDragIcon> },
