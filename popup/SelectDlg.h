// The chooser popup: a context-menu-like list of the folder's choices.
#pragma once

#include "../base/WideText.h"
#include "../framework/Dialog.h"
#include "../framework/Scoped.h"

#include <array>

class CSelectDlg : public CDialog {
  public:
    explicit CSelectDlg(CWnd* pParent);
    ~CSelectDlg() override;

    // The folder operations; they use no state of the dialog.
    static BOOL IconChange(CString iconPath, int iconIndex, CString folderPath, int tipFlag,
                           CString description);
    static CString ReadInfoTip(CString folderPath);

    // The tip flag that leaves InfoTip as it is, TIP_DELETE or not: several
    // folders whose descriptions differ, and a prompt the user left untouched.
    static const int kKeepInfoTip = -1;
    // IconChange with a description CP932 may not spell: such a description
    // is stored faithfully, in a desktop.ini written as UTF-16.
    static BOOL IconChange(CString iconPath, int iconIndex, CString folderPath, int tipFlag,
                           const WideText& description);
    // ReadInfoTip from a desktop.ini in either encoding, in UTF-16.
    static WideText ReadDescription(CString folderPath);

    // IconChange on every folder of the run: one folder as IconChange does
    // it; several in order, with one report and one command pass at the end.
    static BOOL ChangeEveryFolder(CString iconPath, int iconIndex, int tipFlag,
                                  const WideText& description);
    // The description the folders share; false, and none, when they differ.
    static bool SharedDescription(WideText& shared);
    // The description prompt for every folder of the run; false when the
    // user cancelled. The tip flag is 1, or kKeepInfoTip when each folder
    // keeps its own.
    static bool AskDescription(int& tipFlag, WideText& description);

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    void OnPaint();
    HCURSOR OnQueryDragIcon();
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    void OnSlot1() { ApplySlot(1); }
    void OnSlot2() { ApplySlot(2); }
    void OnSlot3() { ApplySlot(3); }
    void OnSlot4() { ApplySlot(4); }
    void OnSlot5() { ApplySlot(5); }
    void OnSlot6() { ApplySlot(6); }
    void OnSlot7() { ApplySlot(7); }
    void OnStandard();
    void OnCancelItem();
    void OnSettings();
    void OnOther();
    void OnEnable(BOOL enabled);
    void OnForegroundTimer();
    bool ButtonDownOutside() const;

    void ApplySlot(int slot);

    // The eleven text rows, top to bottom: the menu items.
    std::array<CStatic*, 11> MenuItems();
    void FitIconControls();
    void PaintMinimized();
    void DrawHighlight(CStatic& item);
    // The one bar of mouse and keyboard: on the row, or on no row.
    void MoveBar(CWnd* pWnd);

    // The keyboard (MenuKeys.cpp).
    void WatchMenuKeys(bool watch);
    static LRESULT CALLBACK FilterMenuKeys(int code, WPARAM wParam, LPARAM lParam);
    bool OnMenuKey(UINT key);
    void ChooseRow(CStatic& row);

    DECLARE_MESSAGE_MAP()

    COLORREF m_clrHighlightText = 0;
    COLORREF m_clrHighlight = 0;
    COLORREF m_clrMenuText = 0;
    COLORREF m_clrMenu = 0;
    CWnd* m_pHoverWnd = nullptr;

    CStatic m_ctlCancelItem;   // 1026
    CStatic m_ctlSettings;     // 1025
    CStatic m_ctlIconOther;    // 1024
    CStatic m_ctlIconSlot7;    // 1023
    CStatic m_ctlIconSlot6;    // 1022
    CStatic m_ctlIconSlot5;    // 1021
    CStatic m_ctlIconSlot4;    // 1020
    CStatic m_ctlIconSlot3;    // 1019
    CStatic m_ctlIconSlot2;    // 1018
    CStatic m_ctlIconSlot1;    // 1017
    CStatic m_ctlIconStandard; // 1016
    CStatic m_ctlOther;        // 1013
    CStatic m_ctlSlot7;        // 1012
    CStatic m_ctlSlot6;        // 1011
    CStatic m_ctlSlot5;        // 1010
    CStatic m_ctlSlot4;        // 1009
    CStatic m_ctlSlot3;        // 1008
    CStatic m_ctlSlot2;        // 1007
    CStatic m_ctlSlot1;        // 1006
    CStatic m_ctlStandard;     // 1003

    HICON m_hIcon;
    ScopedHook m_keyFilter;
    // The foreground window as the popup opened, until the popup holds it.
    HWND m_hForegroundAtOpen = nullptr;
};
