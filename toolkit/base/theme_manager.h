// Style factories of themed controls, the styles they hand out, the client link a control embeds,
// and the process-wide registry that shares one factory per factory class.
#pragma once

#include "afx/core.h"
#include "win32/gdi.h"

#include <unordered_map>

class CTKThemeManagerStyleFactory;
class CTKThemeStyleClient;

class CTKThemeStyleBase {
public:
    CTKThemeStyleBase() = default;
    virtual ~CTKThemeStyleBase();
    CTKThemeStyleBase(const CTKThemeStyleBase&) = delete;
    CTKThemeStyleBase& operator=(const CTKThemeStyleBase&) = delete;

    // Styles recompute their fonts and colours here.
    virtual void RefreshMetrics() {}
    // A copy of the parent's pixels under the window, for controls that show through to it.
    virtual BOOL CaptureParentBackground(HWND hwnd);
    // Paints that copy at (0, 0) of a window with WS_EX_TRANSPARENT; FALSE for any other window.
    virtual BOOL DrawParentBackground(HDC hdc, HWND hwnd);
    HBITMAP GetParentBackground() const { return m_bmpParentBackground; }

    CTKThemeManagerStyleFactory* GetFactory() const { return m_pFactory; }

protected:
    friend class CTKThemeManagerStyleFactory;
    CTKThemeManagerStyleFactory* m_pFactory = nullptr;
    HBITMAP m_bmpParentBackground = nullptr;
};

class CTKThemeManagerStyleFactory : public CObject {
    DECLARE_DYNCREATE(CTKThemeManagerStyleFactory)
public:
    CTKThemeManagerStyleFactory();
    ~CTKThemeManagerStyleFactory() override;

    virtual CTKThemeStyleBase* CreateTheme(int themeId);
    virtual void RefreshStyle();

    CTKThemeStyleBase* GetStyle();
    // Takes ownership of the style and tells every client, the most recently attached first.
    void SetStyle(CTKThemeStyleBase* style);

private:
    friend class CTKThemeStyleClient;
    friend class CTKThemeRegistry;
    void AddClient(CTKThemeStyleClient* client);
    void RemoveClient(CTKThemeStyleClient* client);

    CTKThemeStyleBase* m_pStyle = nullptr;
    CTKThemeStyleClient* m_pClients = nullptr;
    CTKThemeManagerStyleFactory* m_pNextFactory = nullptr;
};

class CTKThemeRegistry {
public:
    CTKThemeRegistry() = default;
    ~CTKThemeRegistry();
    CTKThemeRegistry(const CTKThemeRegistry&) = delete;
    CTKThemeRegistry& operator=(const CTKThemeRegistry&) = delete;

    CTKThemeManagerStyleFactory* GetSharedFactory(CRuntimeClass* factoryClass);
    int GetThemeId() const { return m_nThemeId; }
    int GetFactoryCount() const;

private:
    friend class CTKThemeManagerStyleFactory;
    std::unordered_map<CRuntimeClass*, CTKThemeManagerStyleFactory*> m_shared;
    int m_nThemeId = 0;
    CTKThemeManagerStyleFactory* m_pFactories = nullptr;
};

CTKThemeRegistry& GetThemeRegistry();

class CTKThemeStyleClient {
public:
    explicit CTKThemeStyleClient(CRuntimeClass* factoryClass = nullptr);
    virtual ~CTKThemeStyleClient();
    CTKThemeStyleClient(const CTKThemeStyleClient&) = delete;
    CTKThemeStyleClient& operator=(const CTKThemeStyleClient&) = delete;

    void SetFactoryClass(CRuntimeClass* factoryClass);
    CTKThemeManagerStyleFactory* GetFactory() const { return m_pPrivateFactory ? m_pPrivateFactory : m_pSharedFactory; }
    CTKThemeStyleBase* GetStyle();
    // A style of its own (owned from then on), or null to go back to the shared style.
    void SetTheme(CTKThemeStyleBase* style);

    virtual CTKThemeManagerStyleFactory* CreatePrivateFactory();
    virtual void OnStyleChanged() {}

private:
    friend class CTKThemeManagerStyleFactory;
    void Leave();

    BOOL m_bOwnsFactory = FALSE;
    CRuntimeClass* m_pFactoryClass = nullptr;
    CTKThemeManagerStyleFactory* m_pPrivateFactory = nullptr;
    CTKThemeManagerStyleFactory* m_pSharedFactory = nullptr;
    CTKThemeStyleClient* m_pNextClient = nullptr;
};
