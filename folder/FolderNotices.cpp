#include "FolderNotices.h"

#include "../framework/LateBound.h"
#include "../framework/Scoped.h"

#include <stdlib.h>
#include <wchar.h>

namespace {
using ScopedIdList = ScopedHandle<LPITEMIDLIST, CloseWith<LPITEMIDLIST, void, ILFree>>;

// A copy that may be written into, as ParseDisplayName's name may be.
class WritableText {
  public:
    WritableText(const wchar_t* text, size_t length) : m_text((wchar_t*)malloc((length + 1) * 2)) {
        if (!m_text)
            abort(); // as every allocation of the program
        wmemcpy(m_text, text, length);
        m_text[length] = L'\0';
    }
    WritableText(const WritableText&) = delete;
    WritableText& operator=(const WritableText&) = delete;
    ~WritableText() { free(m_text); }
    operator wchar_t*() const { return m_text; }

  private:
    wchar_t* m_text;
};
} // namespace

FolderNotices* FolderNotices::s_current = nullptr;

FolderNotices::FolderNotices() : m_outer(s_current) {
    s_current = this;
}

FolderNotices::~FolderNotices() {
    ReleaseParent(); // before COM goes
    if (m_comOwned) {
        if (auto uninitialize = LATE_BOUND(L"ole32.dll", CoUninitialize))
            uninitialize();
    }
    s_current = m_outer;
}

void FolderNotices::ReleaseParent() {
    if (m_folder)
        m_folder->Release();
    m_folder = nullptr;
    ILFree(m_parent);
    m_parent = nullptr;
}

// Shell folders are COM objects. COM's library is loaded only now: the
// popup starts without it.
bool FolderNotices::BindParent(const wchar_t* parent) {
    if (!m_comTried) {
        m_comTried = true;
        auto initialize = LATE_BOUND(L"ole32.dll", CoInitializeEx);
        // In another apartment already (RPC_E_CHANGED_MODE), COM serves as it is.
        m_comOwned =
            initialize &&
            SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    }
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)))
        return false;
    m_parent = ILCreateFromPathW(parent);
    if (!m_parent ||
        FAILED(desktop->BindToObject(m_parent, nullptr, IID_IShellFolder, (void**)&m_folder)))
        ReleaseParent();
    desktop->Release();
    return m_folder != nullptr;
}

// False when the notice must go by path.
bool FolderNotices::Notify(const wchar_t* longName) {
    const wchar_t* last = wcsrchr(longName, L'\\');
    // A drive's root and a share have no parent to share.
    if (!last || !last[1] || last - longName < 2)
        return false;
    const WritableText parent(longName, last - longName + (last[-1] == L':' ? 1 : 0));
    if (m_state == Parent::kNone || _wcsicmp(parent, m_parentName) != 0) {
        // A parent's first folder goes by path: binding pays from the second on.
        ReleaseParent();
        m_parentName = WideText(parent);
        m_state = Parent::kSeen;
        return false;
    }
    if (m_state == Parent::kSeen)
        m_state = BindParent(parent) ? Parent::kBound : Parent::kUnbound;
    if (m_state != Parent::kBound)
        return false;
    const WritableText child(last + 1, wcslen(last + 1));
    LPITEMIDLIST item = nullptr;
    if (FAILED(m_folder->ParseDisplayName(nullptr, nullptr, child, nullptr, &item, nullptr)))
        return false;
    const ScopedIdList relative(item);
    const ScopedIdList full(ILCombine(m_parent, relative));
    if (!full.IsValid())
        return false;
    SHChangeNotify(SHCNE_UPDATEITEM, SHCNF_IDLIST | SHCNF_FLUSHNOWAIT, full.Get(), nullptr);
    return true;
}

void NotifyFolderChanged(const wchar_t* longName) {
    if (FolderNotices::s_current && FolderNotices::s_current->Notify(longName))
        return;
    SHChangeNotify(SHCNE_UPDATEITEM, SHCNF_PATHW | SHCNF_FLUSHNOWAIT, longName, nullptr);
}
