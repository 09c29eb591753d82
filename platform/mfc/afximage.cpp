// Icons from the resources a library links in: LoadImageW and DestroyIcon.
#include "mfc/afxstate_p.h"

#include <QApplication>
#include <QImage>

#include <map>
#include <memory>
#include <set>
#include <tuple>

namespace {

using SharedKey = afxqt::State::SharedIconKey;

// Shared icons live as long as the process, as in Windows: callers never free them.
std::map<SharedKey, std::unique_ptr<HICON__>>& sharedIcons() { return afxqt::state().sharedIcons; }

std::set<HICON>& ownedIcons() { return afxqt::state().ownedIcons; }

// The library holding icon `id`: the one named, else the current resource handle and the
// resource chain.
HINSTANCE findIconLibrary(HINSTANCE hInst, UINT id)
{
    if (hInst)
        return AfxFindIconResource(hInst, id, 32) ? hInst : nullptr;
    std::vector<HINSTANCE> candidates{AfxGetResourceHandle()};
    for (HINSTANCE h : AfxResourceChain())
        candidates.push_back(h);
    for (HINSTANCE h : candidates)
        if (h && AfxFindIconResource(h, id, 32))
            return h;
    return nullptr;
}

std::unique_ptr<HICON__> makeIcon(const AfxIconResource& res, int cx, int cy)
{
    QImage image(res.xpm);
    if (image.isNull())
        return nullptr;
    if (image.width() != cx || image.height() != cy)
        image = image.scaled(cx, cy, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    auto icon = std::make_unique<HICON__>();
    icon->pixmap = QPixmap::fromImage(image);
    icon->icon = QIcon(icon->pixmap);
    return icon;
}

}  // namespace

HANDLE LoadImageW(HINSTANCE hInst, LPCWSTR name, UINT type, int cx, int cy, UINT fuLoad)
{
    if (type != IMAGE_ICON || !IS_INTRESOURCE(name))
        return nullptr;
    UINT id = static_cast<UINT>(reinterpret_cast<uintptr_t>(name));
    HINSTANCE library = findIconLibrary(hInst, id);
    if (!library)
        return nullptr;
    if (cx <= 0 || cy <= 0 || (fuLoad & LR_DEFAULTSIZE))
        cx = cy = 32;
    const AfxIconResource* res = AfxFindIconResource(library, id, cx);
    if (!res)
        return nullptr;
    afxqt::app();  // pixmaps need the GUI application

    if (fuLoad & LR_SHARED) {
        auto& cache = sharedIcons();
        SharedKey key{library, id, cx, cy};
        auto it = cache.find(key);
        if (it == cache.end()) {
            auto icon = makeIcon(*res, cx, cy);
            if (!icon)
                return nullptr;
            icon->shared = true;
            it = cache.emplace(key, std::move(icon)).first;
        }
        return it->second.get();
    }
    auto icon = makeIcon(*res, cx, cy);
    if (!icon)
        return nullptr;
    HICON h = icon.release();
    ownedIcons().insert(h);
    return h;
}

BOOL DestroyIcon(HICON hIcon)
{
    if (!hIcon)
        return FALSE;
    if (ownedIcons().erase(hIcon)) {
        delete hIcon;
        return TRUE;
    }
    for (const auto& [key, icon] : sharedIcons())
        if (icon.get() == hIcon)
            return TRUE;  // shared icons stay; freeing one is harmless, as in Windows
    return FALSE;
}
