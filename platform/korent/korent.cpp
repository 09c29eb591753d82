// The entity library: attributes in the KOR_ATTRIBUTE extended data of an entity, and
// selection sets shared by their copies.
#include "korent/korent.h"

#include "ads/adshost.h"

#include <algorithm>
#include <climits>
#include <cwchar>
#include <iterator>
#include <utility>

namespace {

constexpr size_t kMaxText = 255;  // what a 1000 group holds

bool sameText(const wchar_t* a, const wchar_t* b)
{
    return std::wcscmp(a, b) == 0;
}

bool isAttributeApp(const wchar_t* name)
{
    // Application names are matched without regard to case, as the host's tables do.
    const wchar_t* want = KOR_ATTRIBUTE_APP;
    for (; *name && *want; ++name, ++want) {
        wchar_t c = *name >= L'a' && *name <= L'z' ? *name - L'a' + L'A' : *name;
        if (c != *want)
            return false;
    }
    return *name == *want;
}

// Why a name or text value cannot be stored; empty when it can.
std::wstring refusal(const wchar_t* text, bool isName)
{
    if (!text)
        return isName ? L"no attribute name" : L"no value";
    size_t n = std::wcslen(text);
    if (isName && n == 0)
        return L"an empty attribute name";
    if (n > kMaxText)
        return std::wstring(isName ? L"attribute name" : L"value") + L" longer than 255 characters";
    for (size_t i = 0; i < n; ++i)
        if (text[i] < 0x20 || text[i] == 0x7f)
            return std::wstring(isName ? L"attribute name" : L"value") + L" with a control character";
    return {};
}

// The bytes of a text in UTF-8.
size_t utf8Size(std::wstring_view text)
{
    size_t n = 0;
    for (wchar_t c : text)
        n += c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    return n;
}

// The chain a write sends, kept from write to write with the storage of its texts: writing many
// entities makes no allocation per group. (Everything runs on the main thread, and the host
// keeps nothing of a chain it is given.)
class WriteChain {
public:
    void clear() { used_ = 0; }
    resbuf& add(int type)
    {
        if (used_ == nodes_.size()) {
            nodes_.emplace_back();
            texts_.emplace_back();
        }
        nodes_[used_] = resbuf{};
        nodes_[used_].restype = static_cast<short>(type);
        return nodes_[used_++];
    }
    void addText(int type, const std::wstring& text)
    {
        add(type);
        texts_[used_ - 1] = text;
    }
    // The chain, linked (the nodes and texts may have moved while it was made).
    const resbuf* finish()
    {
        for (size_t i = 0; i < used_; ++i) {
            nodes_[i].rbnext = i + 1 < used_ ? &nodes_[i + 1] : nullptr;
            if (acutIsTextType(nodes_[i].restype))
                nodes_[i].resval.rstring = texts_[i].data();
        }
        return used_ ? nodes_.data() : nullptr;
    }

private:
    std::vector<resbuf> nodes_;
    std::vector<std::wstring> texts_;  // by node
    size_t used_ = 0;
};

}  // namespace

// ---- CKOREntity ---------------------------------------------------------------------------------

CKOREntity::CKOREntity() = default;
CKOREntity::~CKOREntity() = default;

bool CKOREntity::fail(std::wstring why)
{
    m_error = std::move(why);
    return false;
}

bool CKOREntity::Connect(const ads_name name)
{
    m_connected = false;
    m_modified = false;
    m_hasBlock = false;
    m_attributes.clear();
    m_handle.clear();
    m_error.clear();
    if (!name || (name[0] == 0 && name[1] == 0))
        return fail(L"no entity name");

    // The entity's name, handle and our block: its other groups are never converted.
    ads::RbPtr groups(acdbEntGetXData(name, KOR_ATTRIBUTE_APP));
    if (!groups)
        return fail(L"the name names no entity of the drawing (erased, or of another drawing)");

    const resbuf* rb = groups.get();
    for (; rb && rb->restype != -3; rb = rb->rbnext)
        if (rb->restype == 5 && rb->resval.rstring)
            m_handle = rb->resval.rstring;
    bool inBlock = false;
    const resbuf* pendingName = nullptr;
    bool broken = false;
    {
        size_t groupsOfApp = 0;
        bool ours = false;
        for (const resbuf* g = rb; g; g = g->rbnext)
            if (g->restype == 1001)
                ours = g->resval.rstring && isAttributeApp(g->resval.rstring);
            else
                groupsOfApp += ours;
        if (groupsOfApp > 0)
            m_attributes.reserve(groupsOfApp / 2 + 4);  // room for a few more without moving
    }
    for (rb = rb ? rb->rbnext : nullptr; rb && !broken; rb = rb->rbnext) {
        if (rb->restype == 1001) {
            inBlock = rb->resval.rstring && isAttributeApp(rb->resval.rstring);
            m_hasBlock = m_hasBlock || inBlock;
            continue;
        }
        if (!inBlock)
            continue;
        if (!pendingName) {
            if (rb->restype == 1000 && rb->resval.rstring && *rb->resval.rstring) {
                pendingName = rb;
                continue;
            }
            broken = true;
        } else if (rb->restype == 1000 || rb->restype == 1071) {
            Attribute a;
            a.name = pendingName->resval.rstring;
            if (rb->restype == 1071) {
                a.integer = true;
                a.value = rb->resval.rlong;
                a.text = std::to_wstring(a.value);
            } else {
                a.text = rb->resval.rstring ? rb->resval.rstring : L"";
            }
            pendingName = nullptr;
            if (find(a.name.c_str())) {
                broken = true;  // the same name twice: the first one counts
                continue;
            }
            m_attributes.push_back(std::move(a));
        } else {
            broken = true;
        }
    }
    if (pendingName)
        broken = true;
    m_name[0] = name[0];
    m_name[1] = name[1];
    m_connected = true;
    if (broken)
        m_error = L"the entity's " KOR_ATTRIBUTE_APP
                  L" data does not follow the layout of (name, value) pairs; what follows the first wrong "
                  L"group was not read";
    return true;
}

bool CKOREntity::GetName(ads_name out) const
{
    if (!m_connected || !out)
        return false;
    out[0] = m_name[0];
    out[1] = m_name[1];
    return true;
}

const CKOREntity::Attribute* CKOREntity::find(LPCTSTR name) const
{
    if (!name)
        return nullptr;
    for (const Attribute& a : m_attributes)
        if (sameText(a.name.c_str(), name))
            return &a;
    return nullptr;
}

bool CKOREntity::GetAttribute(LPCTSTR name, TCHAR* buffer, int bufferChars) const
{
    if (!buffer || bufferChars < 1)
        return false;
    const Attribute* a = find(name);
    const std::wstring& text = a ? a->text : std::wstring();
    size_t n = std::min(text.size(), static_cast<size_t>(bufferChars - 1));
    std::wmemcpy(buffer, text.data(), n);
    buffer[n] = 0;
    return a != nullptr;
}

bool CKOREntity::GetAttribute(LPCTSTR name, CString& value) const
{
    const Attribute* a = find(name);
    if (!a)
        return false;
    value = a->text.c_str();
    return true;
}

bool CKOREntity::HasAttribute(LPCTSTR name) const
{
    return find(name) != nullptr;
}

bool CKOREntity::IsIntegerAttribute(LPCTSTR name) const
{
    const Attribute* a = find(name);
    return a && a->integer;
}

int CKOREntity::GetAttributeNames(CStringArray& names) const
{
    names.RemoveAll();
    for (const Attribute& a : m_attributes)
        names.Add(CString(a.name));
    return names.GetSize();
}

bool CKOREntity::setAttribute(LPCTSTR name, const wchar_t* text, bool integer, int value)
{
    if (!m_connected)
        return fail(L"not connected to an entity");
    if (std::wstring why = refusal(name, true); !why.empty())
        return fail(why);
    if (!integer)
        if (std::wstring why = refusal(text, false); !why.empty())
            return fail(std::wstring(name) + L": " + why);
    Attribute* existing = const_cast<Attribute*>(find(name));
    if (existing && existing->integer == integer && existing->text == text)
        return true;  // unchanged: nothing to write
    std::vector<Attribute> before;
    if (m_autoFlush)
        before = m_attributes;
    if (existing) {
        existing->integer = integer;
        existing->value = value;
        existing->text = text;
    } else {
        if (m_attributes.capacity() == 0)
            m_attributes.reserve(8);  // an entity given attributes is usually given several
        Attribute& a = m_attributes.emplace_back();
        a.name = name;
        a.text = text;
        a.integer = integer;
        a.value = value;
    }
    m_modified = true;
    return m_autoFlush ? flushOrUndo(std::move(before)) : true;
}

bool CKOREntity::SetAttribute(LPCTSTR name, LPCTSTR value)
{
    if (!value)
        return fail(L"no value");
    return setAttribute(name, value, false, 0);
}

bool CKOREntity::SetAttribute(LPCTSTR name, int value)
{
    wchar_t text[16];
    std::swprintf(text, std::size(text), L"%d", value);
    return setAttribute(name, text, true, value);
}

bool CKOREntity::RemoveAttribute(LPCTSTR name)
{
    if (!m_connected)
        return fail(L"not connected to an entity");
    const Attribute* a = find(name);
    if (!a)
        return fail(std::wstring(L"no attribute ") + (name ? name : L"(null)"));
    std::vector<Attribute> before;
    if (m_autoFlush)
        before = m_attributes;
    m_attributes.erase(m_attributes.begin() + (a - m_attributes.data()));
    m_modified = true;
    return m_autoFlush ? flushOrUndo(std::move(before)) : true;
}

bool CKOREntity::flushOrUndo(std::vector<Attribute> before)
{
    if (Update())
        return true;
    m_attributes = std::move(before);
    // What is in memory again is what the drawing holds.
    m_modified = false;
    return false;
}

bool CKOREntity::Update()
{
    if (!m_connected)
        return fail(L"not connected to an entity");
    if (!m_modified)
        return true;
    if (m_attributes.empty() && !m_hasBlock) {
        m_modified = false;  // nothing in the drawing, nothing to write
        return true;
    }
    static WriteChain chain;
    chain.clear();
    resbuf& self = chain.add(-1);
    self.resval.rlname[0] = m_name[0];
    self.resval.rlname[1] = m_name[1];
    chain.add(-3);
    static const std::wstring app = KOR_ATTRIBUTE_APP;
    chain.addText(1001, app);
    for (const Attribute& a : m_attributes) {
        chain.addText(1000, a.name);
        if (a.integer)
            chain.add(1071).resval.rlong = a.value;
        else
            chain.addText(1000, a.text);
    }
    const resbuf* groups = chain.finish();
    // Only our block is replaced: the entity's other groups stay as the host keeps them.
    int rc = acdbEntModXData(groups);
    if (rc != RTNORM && !m_attributes.empty()) {
        // The application is registered when the drawing's first attribute is written.
        ads::RbPtr registered(acdbTblSearch(L"APPID", KOR_ATTRIBUTE_APP, 0));
        if (!registered && acdbRegApp(KOR_ATTRIBUTE_APP) == RTNORM)
            rc = acdbEntModXData(groups);
    }
    if (rc != RTNORM) {
        // The drawing takes attributes of this form from an entity it holds unless they leave
        // no room in its extended data; whether it holds the entity its handle tells.
        ads_name found;
        if (!m_handle.empty() && acdbHandEnt(m_handle.c_str(), found) != RTNORM)
            return fail(L"the drawing refused the attributes (acdbEntMod): the entity is no longer in it (erased)");
        size_t bytes = utf8Size(KOR_ATTRIBUTE_APP);
        for (const Attribute& a : m_attributes)
            bytes += utf8Size(a.name) + utf8Size(a.text);
        return fail(L"the drawing refused the attributes (acdbEntMod): with their " + std::to_wstring(bytes) +
                    L" bytes the entity's extended data would pass the 16 KiB an entity holds" +
                    (m_handle.empty() ? L", or the entity was erased" : L""));
    }
    m_modified = false;
    m_hasBlock = !m_attributes.empty();
    return true;
}

// ---- CKORAdsSelectionSet ------------------------------------------------------------------------

struct CKORAdsSelectionSet::Shared {
    ads_name name = {0, 0};
    bool owns = false;
    Shared() = default;
    Shared(const Shared&) = delete;
    Shared& operator=(const Shared&) = delete;
    ~Shared()
    {
        if (owns)
            acedSSFree(name);
    }
};

CKORAdsSelectionSet::CKORAdsSelectionSet() = default;

CKORAdsSelectionSet::CKORAdsSelectionSet(const ads_name ss, bool owns)
{
    if (!ss)
        return;
    m_set = std::make_shared<Shared>();
    m_set->name[0] = ss[0];
    m_set->name[1] = ss[1];
    m_set->owns = owns;
}

CKORAdsSelectionSet::~CKORAdsSelectionSet() = default;

bool CKORAdsSelectionSet::IsValid() const
{
    int32_t n = 0;
    return m_set && acedSSLength(m_set->name, &n) == RTNORM;
}

long CKORAdsSelectionSet::GetSize() const
{
    int32_t n = 0;
    if (!m_set || acedSSLength(m_set->name, &n) != RTNORM)
        return 0;
    return n;
}

int CKORAdsSelectionSet::GetAt(long i, ads_name out) const
{
    if (!m_set || !out || i < 0 || i > INT32_MAX)
        return 0;
    return acedSSName(m_set->name, static_cast<int32_t>(i), out) == RTNORM ? 1 : 0;
}

bool CKORAdsSelectionSet::GetName(ads_name out) const
{
    if (!m_set || !out)
        return false;
    out[0] = m_set->name[0];
    out[1] = m_set->name[1];
    return true;
}

const int64_t* CKORAdsSelectionSet::GetAdsName() const
{
    return m_set ? m_set->name : nullptr;
}

bool CKORAdsSelectionSet::OwnsSet() const
{
    return m_set && m_set->owns;
}
