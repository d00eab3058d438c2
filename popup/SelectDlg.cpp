#include "SelectDlg.h"

#include "PopupPlacement.h"
#include "ChoiceInHand.h"
#include "../base/OurProcesses.h"
#include "../base/Settings.h"
#include "../folder/Refresh.h"
#include "../framework/App.h"
#include "../framework/LateBound.h"
#include "../framework/Scoped.h"
#include "../res/resource.h"

#include <imm.h>
#include <shellapi.h>

namespace {
// Who holds the foreground now.
const UINT_PTR kForegroundTimer = 1;
const UINT kForegroundCheckMs = 50;

// Another launch of this program runs this same executable file. A window's
// class and title any program can copy; the image path it cannot fake
// without being this program. A process that does not let us ask (another
// user's) counts as another program.
bool IsThisProgram(DWORD processId) {
    WideText theirs = ExecutableOfOurs(processId);
    return *(const wchar_t*)theirs &&
           CompareStringOrdinal(theirs, -1, OwnExecutablePath(), -1, TRUE) == CSTR_EQUAL;
}

// The digits and Space are the popup's, even with the IME in ひらがな mode:
// neither the popup nor its rows have an input context ("ImmAssociateContextEx
// function"). The prompt, a window of its own, keeps the IME. IMM32 is asked
// only when it is in the process already, so the popup's start loads no
// library for it: where IMM is enabled ("About Input Method Manager"), user32
// has loaded it itself before any window, and where it is absent no window has
// a context to take away. Wine's user32 always loads it, and Wine reports
// SM_IMMENABLED as 0 all the same.
void WithoutInputContext(HWND window) {
    if (!GetModuleHandleW(L"imm32.dll"))
        return;
    auto associate = LATE_BOUND(L"imm32.dll", ImmAssociateContextEx);
    if (!associate)
        return;
    associate(window, nullptr, 0);
    associate(window, nullptr, IACE_CHILDREN);
}
} // namespace

BEGIN_MESSAGE_MAP(CSelectDlg, CDialog)
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_WM_SETCURSOR()
ON_WM_CTLCOLOR()
ON_STN_CLICKED(IDC_SLOT1, OnSlot1)
ON_STN_CLICKED(IDC_SLOT2, OnSlot2)
ON_STN_CLICKED(IDC_SLOT3, OnSlot3)
ON_STN_CLICKED(IDC_SLOT4, OnSlot4)
ON_STN_CLICKED(IDC_SLOT5, OnSlot5)
ON_STN_CLICKED(IDC_SLOT6, OnSlot6)
ON_STN_CLICKED(IDC_SLOT7, OnSlot7)
ON_STN_CLICKED(IDC_STANDARD, OnStandard)
ON_STN_CLICKED(IDC_CANCEL_ITEM, OnCancelItem)
ON_STN_CLICKED(IDC_SETTINGS, OnSettings)
ON_STN_CLICKED(IDC_OTHER, OnOther)
AFX_MSG_ENTRY(message == WM_ENABLE, OnEnable((BOOL)wParam); *pResult = 0)
AFX_MSG_ENTRY(message == WM_TIMER && wParam == kForegroundTimer, OnForegroundTimer(); *pResult = 0)
END_MESSAGE_MAP()

CSelectDlg::CSelectDlg(CWnd* pParent) : CDialog(IDD_SELECT, pParent) {
    m_hIcon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

CSelectDlg::~CSelectDlg() {
    WatchMenuKeys(false);
}

void CSelectDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CANCEL_ITEM, m_ctlCancelItem);
    DDX_Control(pDX, IDC_SETTINGS, m_ctlSettings);
    DDX_Control(pDX, IDC_ICON_OTHER, m_ctlIconOther);
    DDX_Control(pDX, IDC_ICON_SLOT7, m_ctlIconSlot7);
    DDX_Control(pDX, IDC_ICON_SLOT6, m_ctlIconSlot6);
    DDX_Control(pDX, IDC_ICON_SLOT5, m_ctlIconSlot5);
    DDX_Control(pDX, IDC_ICON_SLOT4, m_ctlIconSlot4);
    DDX_Control(pDX, IDC_ICON_SLOT3, m_ctlIconSlot3);
    DDX_Control(pDX, IDC_ICON_SLOT2, m_ctlIconSlot2);
    DDX_Control(pDX, IDC_ICON_SLOT1, m_ctlIconSlot1);
    DDX_Control(pDX, IDC_ICON_STANDARD, m_ctlIconStandard);
    DDX_Control(pDX, IDC_OTHER, m_ctlOther);
    DDX_Control(pDX, IDC_SLOT7, m_ctlSlot7);
    DDX_Control(pDX, IDC_SLOT6, m_ctlSlot6);
    DDX_Control(pDX, IDC_SLOT5, m_ctlSlot5);
    DDX_Control(pDX, IDC_SLOT4, m_ctlSlot4);
    DDX_Control(pDX, IDC_SLOT3, m_ctlSlot3);
    DDX_Control(pDX, IDC_SLOT2, m_ctlSlot2);
    DDX_Control(pDX, IDC_SLOT1, m_ctlSlot1);
    DDX_Control(pDX, IDC_STANDARD, m_ctlStandard);
}

BOOL CSelectDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SendMessage(WM_SETICON, ICON_BIG, (LPARAM)m_hIcon);
    SendMessage(WM_SETICON, ICON_SMALL, (LPARAM)m_hIcon);
    m_clrMenu = GetSysColor(COLOR_MENU);
    m_clrMenuText = GetSysColor(COLOR_MENUTEXT);
    m_clrHighlight = GetSysColor(COLOR_HIGHLIGHT);
    m_clrHighlightText = GetSysColor(COLOR_HIGHLIGHTTEXT);
    FitIconControls();
    RECT place = PlaceAtPointer(m_hWnd);
    // DS_SYSMODAL makes the popup topmost on Windows but not under Wine.
    SetWindowPos(m_hWnd, HWND_TOPMOST, place.left, place.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    WatchMenuKeys(true);
    WithoutInputContext(m_hWnd);
    // The watch for a click elsewhere (OnForegroundTimer).
    m_hForegroundAtOpen = GetForegroundWindow();
    ButtonDownOutside(); // forgets the click that started us, made before the popup was there
    SetTimer(m_hWnd, kForegroundTimer, kForegroundCheckMs, nullptr);
    return TRUE;
}

// An icon control takes the size of the icon it is given, but one that never
// gets an icon ("標準", "その他", a slot whose file cannot be read) keeps the
// template's 20 x 20 units, which reach into the rows' text and paint over
// its first character. Each is made as large as a small icon from the start.
void CSelectDlg::FitIconControls() {
    CStatic* icons[] = {&m_ctlIconStandard, &m_ctlIconSlot1, &m_ctlIconSlot2,
                        &m_ctlIconSlot3,    &m_ctlIconSlot4, &m_ctlIconSlot5,
                        &m_ctlIconSlot6,    &m_ctlIconSlot7, &m_ctlIconOther};
    int width = GetSystemMetrics(SM_CXSMICON);
    int height = GetSystemMetrics(SM_CYSMICON);
    for (CStatic* icon : icons)
        SetWindowPos(icon->m_hWnd, nullptr, 0, 0, width, height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::array<CStatic*, 11> CSelectDlg::MenuItems() {
    return {&m_ctlStandard, &m_ctlSlot1, &m_ctlSlot2, &m_ctlSlot3,    &m_ctlSlot4,     &m_ctlSlot5,
            &m_ctlSlot6,    &m_ctlSlot7, &m_ctlOther, &m_ctlSettings, &m_ctlCancelItem};
}

void CSelectDlg::OnPaint() {
    if (IsIconic(m_hWnd)) {
        PaintMinimized();
        return;
    }
    // Another program's RedrawWindow with RDW_UPDATENOW sends WM_PAINT itself;
    // when the popup's own loop has painted first, that one finds nothing left
    // to paint. Setting the icons and texts again would redraw the rows at
    // once and wipe the hover bar.
    if (!GetUpdateRect(m_hWnd, nullptr, FALSE)) {
        Default();
        return;
    }

    CStatic* slotIcons[] = {&m_ctlIconSlot1, &m_ctlIconSlot2, &m_ctlIconSlot3, &m_ctlIconSlot4,
                            &m_ctlIconSlot5, &m_ctlIconSlot6, &m_ctlIconSlot7};
    for (int slot = 1; slot <= 7; ++slot) {
        HICON icon = nullptr;
        ExtractIconExA(g_arrIconPath[slot], g_nIconIndex[slot], nullptr, &icon, 1);
        // The control does not own what it shows: the icon it gives back
        // is ours to destroy.
        ScopedIcon previous(slotIcons[slot - 1]->SetIcon(icon));
    }

    const struct {
        CStatic* label;
        const char* text;
    } labels[] = {{&m_ctlStandard, "標準"}, {&m_ctlSlot1, "必須"},   {&m_ctlSlot2, "重要"},
                  {&m_ctlSlot3, "進行中"},  {&m_ctlSlot4, "未処理"}, {&m_ctlSlot5, "個人用"},
                  {&m_ctlSlot6, "計画1"},   {&m_ctlSlot7, "計画2"},  {&m_ctlOther, "その他"}};
    for (const auto& row : labels)
        row.label->SetWindowText(row.text);

    Default();
}

void CSelectDlg::PaintMinimized() {
    ScopedPaint paint(m_hWnd);
    SendMessage(WM_ICONERASEBKGND, (WPARAM)(HDC)paint);
    RECT client;
    GetClientRect(m_hWnd, &client);
    int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(paint, x, y, m_hIcon);
}

HCURSOR CSelectDlg::OnQueryDragIcon() {
    return (HCURSOR)m_hIcon;
}

BOOL CSelectDlg::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) {
    if (pWnd != m_pHoverWnd)
        MoveBar(pWnd);
    return CDialog::OnSetCursor(pWnd, nHitTest, message);
}

void CSelectDlg::MoveBar(CWnd* pWnd) {
    m_pHoverWnd = pWnd;
    // Repaints every row: the new bar row in the default colours, the others
    // in the menu colours (OnCtlColor).
    std::array<CStatic*, 11> items = MenuItems();
    for (CStatic* item : items)
        item->RedrawWindow(RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    for (CStatic* item : items) {
        if (item == pWnd)
            DrawHighlight(*item);
    }
}

// Drawn straight onto the row, outside any paint: the row's next repaint
// removes it.
void CSelectDlg::DrawHighlight(CStatic& item) {
    RECT rect;
    GetClientRect(item.m_hWnd, &rect);
    ScopedGetDC dc(item.m_hWnd);
    ScopedGdiObject region(CreateRectRgnIndirect(&rect));
    ScopedGdiObject brush(CreateSolidBrush(m_clrHighlight));
    if (!FillRgn(dc, (HRGN)region.Get(), (HBRUSH)brush.Get()))
        AfxMessageBox("error", MB_OK);

    SetBkMode(dc, TRANSPARENT);
    SetBkColor(dc, m_clrHighlight);
    SetTextColor(dc, m_clrHighlightText);
    ScopedSelectObject font(dc, (HGDIOBJ)item.SendMessage(WM_GETFONT));
    CString text = item.GetWindowText();
    // The label's own layout (SS_LEFTNOWORDWRAP with SS_CENTERIMAGE): left
    // edge, centred on the row's height for the font, so the text does not
    // move when the bar comes, at any DPI.
    DrawTextA(dc, text, text.GetLength(), &rect,
              DT_LEFT | DT_EXPANDTABS | DT_SINGLELINE | DT_VCENTER);
}

HBRUSH CSelectDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    HBRUSH brush = CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    if (nCtlColor == CTLCOLOR_STATIC && pWnd != m_pHoverWnd) {
        pDC->SetBkMode(TRANSPARENT);
        pDC->SetBkColor(m_clrMenu);
        pDC->SetTextColor(m_clrMenuText);
    }
    return brush;
}

void CSelectDlg::OnStandard() {
    ChoiceInHand choice;
    choice.Made();
    if (!ChangeEveryFolder(CString(), 0, 0, WideText()))
        AfxMessageBox("アイコンの変更に失敗しました", MB_OK);
    PostRefreshKeys();
    CDialog::OnOK();
}

void CSelectDlg::ApplySlot(int slot) {
    ChoiceInHand choice;
    int tipFlag = 1;
    WideText description;
    if (!AskDescription(tipFlag, description))
        return;
    choice.Made();

    if (!ChangeEveryFolder(g_arrIconPath[slot], g_nIconIndex[slot], tipFlag, description))
        AfxMessageBox("アイコンの変更に失敗しました", MB_OK);
    PostRefreshKeys();
    CDialog::OnOK();
}

// While a dialog or box of this program is up, the popup is disabled and
// steps out of the topmost windows, so that even the ownerless box of the
// system's error text comes out above it: Wine puts a task-modal box on top
// of the other windows but not among the topmost ones, MB_TOPMOST or not.
void CSelectDlg::OnEnable(BOOL enabled) {
    SetWindowPos(m_hWnd, enabled ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// Any mouse button down, or pressed since the last look, over a window
// that is not the popup's. The held bit is the answer; the pressed-since bit,
// which Windows shares among programs and asks no one to rely on, only
// catches a click quicker than the look.
bool CSelectDlg::ButtonDownOutside() const {
    bool down = false;
    for (int button : {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON})
        down = (GetAsyncKeyState(button) & 0x8001) || down; // ask each, to clear its flag
    POINT at;
    if (!down || !GetCursorPos(&at))
        return false;
    HWND under = WindowFromPoint(at);
    return under != m_hWnd && !IsChild(m_hWnd, under);
}

// A context menu closes when another program becomes active, by a click on
// one of its windows or by a switch; under Wine too the click activates that
// window. A click in the window that kept the foreground as the popup opened
// changes none, so there a button held down outside the popup counts. The
// popup looks at the foreground from the start rather than waiting to be told
// it lost the activation: one that opens without the foreground (the
// foreground lock, a late launch) is never told, and Wine without a window
// manager takes the activation away for a moment whenever the X input focus
// moves, with no window in the foreground, and names the new foreground
// window only a moment after a click elsewhere. A window of another program
// ends the popup as "ｷｬﾝｾﾙ" does, unless a dialog or box of its own is up,
// which keeps the popup disabled.
void CSelectDlg::OnForegroundTimer() {
    // A window that shows nothing takes no click: Wine activates a new
    // program's window before it is shown.
    HWND foreground = GetForegroundWindow();
    if (!foreground || !IsWindowVisible(foreground))
        return;
    DWORD process = 0;
    GetWindowThreadProcessId(foreground, &process);
    if (process == GetCurrentProcessId()) {
        m_hForegroundAtOpen = nullptr; // a click on it would now take the foreground from us
        return;
    }
    // The window that held the foreground as the popup opened keeps it when
    // clicked, so there a button held down outside the popup is the click
    // elsewhere. Another launch's box, such as its refusal of a folder, is
    // none.
    if (!IsWindowEnabled(m_hWnd) || IsThisProgram(process) ||
        (foreground == m_hForegroundAtOpen && !ButtonDownOutside()))
        return;
    KillTimer(m_hWnd, kForegroundTimer);
    OnCancel();
}

void CSelectDlg::OnCancelItem() {
    Default();
    CDialog::OnCancel();
}
