// CMenu: a thin wrapper around a menu handle. Each method is one call to the menu API.
// A CMenu destroys the menu it holds when it is destroyed; Detach() a menu that belongs to
// someone else first. CWnd::GetSystemMenu() hands out a CMenu owned by the window object that
// never destroys the system menu.
#pragma once

#include <windows.h>

#include "framework/CString.h"

class CMenu {
public:
    CMenu() = default;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;
    ~CMenu();

    HMENU m_hMenu = nullptr;

    HMENU GetSafeHmenu() const { return m_hMenu; }
    operator HMENU() const { return m_hMenu; }
    BOOL Attach(HMENU hMenu);
    HMENU Detach();
    BOOL DestroyMenu();

    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCTSTR lpszNewItem = nullptr)
        { return ::AppendMenuW(m_hMenu, nFlags, nIDNewItem, lpszNewItem); }
    int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
    UINT GetMenuItemID(int nPos) const { return ::GetMenuItemID(m_hMenu, nPos); }
    UINT GetMenuState(UINT nID, UINT nFlags) const { return ::GetMenuState(m_hMenu, nID, nFlags); }
    UINT EnableMenuItem(UINT nIDEnableItem, UINT nEnable)
        { return static_cast<UINT>(::EnableMenuItem(m_hMenu, nIDEnableItem, nEnable)); }
    int GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const;
};
