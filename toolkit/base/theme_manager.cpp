// Style factories, the shared-factory registry and the client links of themed controls.
#include "toolkit/base/theme_manager.h"

#include "win32/user.h"

IMPLEMENT_DYNCREATE(CTKThemeManagerStyleFactory, CObject)

// ---- Styles ------------------------------------------------------------------------------------
CTKThemeStyleBase::~CTKThemeStyleBase()
{
    if (m_bmpParentBackground)
        DeleteObject(m_bmpParentBackground);
}

BOOL CTKThemeStyleBase::CaptureParentBackground(HWND hwnd)
{
    HWND parent = hwnd ? GetParent(hwnd) : nullptr;
    if (!parent || !IsWindow(parent))
        return FALSE;
    if (m_bmpParentBackground) {
        DeleteObject(m_bmpParentBackground);
        m_bmpParentBackground = nullptr;
    }
    RECT rc{};
    GetWindowRect(hwnd, &rc);
    POINT corners[2] = {{rc.left, rc.top}, {rc.right, rc.bottom}};
    ScreenToClient(parent, &corners[0]);
    ScreenToClient(parent, &corners[1]);
    int w = corners[1].x - corners[0].x, h = corners[1].y - corners[0].y;
    HDC parentDC = GetWindowDC(parent);
    if (!parentDC)
        return FALSE;
    // The window DC starts at the window's corner; the client area lies inside the non-client frame.
    RECT parentWindow{};
    GetWindowRect(parent, &parentWindow);
    POINT origin{0, 0};
    ClientToScreen(parent, &origin);
    int dx = origin.x - parentWindow.left, dy = origin.y - parentWindow.top;
    HDC mem = CreateCompatibleDC(parentDC);
    m_bmpParentBackground = CreateCompatibleBitmap(parentDC, w > 0 ? w : 1, h > 0 ? h : 1);
    HGDIOBJ old = SelectObject(mem, m_bmpParentBackground);
    BitBlt(mem, 0, 0, w, h, parentDC, corners[0].x + dx, corners[0].y + dy, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
    ReleaseDC(parent, parentDC);
    return TRUE;
}

BOOL CTKThemeStyleBase::DrawParentBackground(HDC hdc, HWND hwnd)
{
    if (!hwnd || !(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TRANSPARENT) || !CaptureParentBackground(hwnd))
        return FALSE;
    RECT client{};
    GetClientRect(hwnd, &client);
    HDC mem = CreateCompatibleDC(hdc);
    HGDIOBJ old = SelectObject(mem, m_bmpParentBackground);
    BitBlt(hdc, 0, 0, client.right, client.bottom, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
    return TRUE;
}

// ---- Registry ----------------------------------------------------------------------------------
CTKThemeRegistry& GetThemeRegistry()
{
    // GDI's tables are made first so that they outlive the registry, whose styles may hold bitmaps.
    GetStockObject(NULL_BRUSH);
    static CTKThemeRegistry registry;
    return registry;
}

CTKThemeRegistry::~CTKThemeRegistry()
{
    auto shared = std::move(m_shared);
    m_shared.clear();
    for (auto& entry : shared)
        delete entry.second;
    m_pFactories = nullptr;
}

CTKThemeManagerStyleFactory* CTKThemeRegistry::GetSharedFactory(CRuntimeClass* factoryClass)
{
    if (!factoryClass)
        return nullptr;
    auto it = m_shared.find(factoryClass);
    if (it != m_shared.end())
        return it->second;
    auto* factory = dynamic_cast<CTKThemeManagerStyleFactory*>(factoryClass->CreateObject());
    if (factory)
        m_shared[factoryClass] = factory;
    return factory;
}

int CTKThemeRegistry::GetFactoryCount() const
{
    int n = 0;
    for (auto* f = m_pFactories; f; f = f->m_pNextFactory)
        ++n;
    return n;
}

// ---- Factories ---------------------------------------------------------------------------------
CTKThemeManagerStyleFactory::CTKThemeManagerStyleFactory()
{
    CTKThemeRegistry& registry = GetThemeRegistry();
    m_pNextFactory = registry.m_pFactories;
    registry.m_pFactories = this;
}

CTKThemeManagerStyleFactory::~CTKThemeManagerStyleFactory()
{
    delete m_pStyle;
    m_pStyle = nullptr;
    // Clients still attached fall back to having no factory rather than a dangling one.
    for (CTKThemeStyleClient* c = m_pClients; c; c = c->m_pNextClient) {
        if (c->m_pSharedFactory == this)
            c->m_pSharedFactory = nullptr;
        if (c->m_pPrivateFactory == this) {
            c->m_pPrivateFactory = nullptr;
            c->m_bOwnsFactory = FALSE;
        }
    }
    m_pClients = nullptr;
    CTKThemeRegistry& registry = GetThemeRegistry();
    for (CTKThemeManagerStyleFactory** p = &registry.m_pFactories; *p; p = &(*p)->m_pNextFactory)
        if (*p == this) {
            *p = m_pNextFactory;
            break;
        }
    for (auto it = registry.m_shared.begin(); it != registry.m_shared.end(); ++it)
        if (it->second == this) {
            registry.m_shared.erase(it);
            break;
        }
}

CTKThemeStyleBase* CTKThemeManagerStyleFactory::CreateTheme(int /*themeId*/)
{
    return nullptr;
}

void CTKThemeManagerStyleFactory::RefreshStyle()
{
    if (m_pStyle)
        m_pStyle->RefreshMetrics();
}

CTKThemeStyleBase* CTKThemeManagerStyleFactory::GetStyle()
{
    if (!m_pStyle) {
        m_pStyle = CreateTheme(GetThemeRegistry().GetThemeId());
        if (m_pStyle) {
            m_pStyle->m_pFactory = this;
            m_pStyle->RefreshMetrics();
        }
    }
    return m_pStyle;
}

void CTKThemeManagerStyleFactory::SetStyle(CTKThemeStyleBase* style)
{
    if (style != m_pStyle)
        delete m_pStyle;
    m_pStyle = style;
    if (m_pStyle) {
        m_pStyle->m_pFactory = this;
        m_pStyle->RefreshMetrics();
    }
    for (CTKThemeStyleClient* c = m_pClients; c;) {
        CTKThemeStyleClient* next = c->m_pNextClient;
        c->OnStyleChanged();
        c = next;
    }
}

void CTKThemeManagerStyleFactory::AddClient(CTKThemeStyleClient* client)
{
    client->m_pNextClient = m_pClients;
    m_pClients = client;
}

void CTKThemeManagerStyleFactory::RemoveClient(CTKThemeStyleClient* client)
{
    for (CTKThemeStyleClient** p = &m_pClients; *p; p = &(*p)->m_pNextClient)
        if (*p == client) {
            *p = client->m_pNextClient;
            break;
        }
    client->m_pNextClient = nullptr;
}

// ---- Clients -----------------------------------------------------------------------------------
CTKThemeStyleClient::CTKThemeStyleClient(CRuntimeClass* factoryClass)
{
    if (factoryClass)
        SetFactoryClass(factoryClass);
}

CTKThemeStyleClient::~CTKThemeStyleClient()
{
    Leave();
    if (m_bOwnsFactory)
        delete m_pPrivateFactory;
}

void CTKThemeStyleClient::Leave()
{
    if (CTKThemeManagerStyleFactory* f = GetFactory())
        f->RemoveClient(this);
}

void CTKThemeStyleClient::SetFactoryClass(CRuntimeClass* factoryClass)
{
    if (m_pSharedFactory)
        m_pSharedFactory->RemoveClient(this);
    m_pFactoryClass = factoryClass;
    m_pSharedFactory = GetThemeRegistry().GetSharedFactory(factoryClass);
    if (m_pSharedFactory)
        m_pSharedFactory->AddClient(this);
}

CTKThemeStyleBase* CTKThemeStyleClient::GetStyle()
{
    CTKThemeManagerStyleFactory* f = GetFactory();
    return f ? f->GetStyle() : nullptr;
}

CTKThemeManagerStyleFactory* CTKThemeStyleClient::CreatePrivateFactory()
{
    return m_pFactoryClass ? dynamic_cast<CTKThemeManagerStyleFactory*>(m_pFactoryClass->CreateObject()) : nullptr;
}

void CTKThemeStyleClient::SetTheme(CTKThemeStyleBase* style)
{
    if (!m_pPrivateFactory && !style)
        return;
    Leave();
    if (m_bOwnsFactory)
        delete m_pPrivateFactory;
    m_pPrivateFactory = nullptr;
    m_bOwnsFactory = FALSE;
    if (style) {
        m_pPrivateFactory = CreatePrivateFactory();
        if (m_pPrivateFactory) {
            m_pPrivateFactory->SetStyle(style);
            m_bOwnsFactory = TRUE;
        } else {
            delete style; // nothing could take it over
        }
    }
    OnStyleChanged();
    if (CTKThemeManagerStyleFactory* f = GetFactory())
        f->AddClient(this);
}
