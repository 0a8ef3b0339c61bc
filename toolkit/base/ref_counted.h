// Reference counting of the toolkit's shared objects (colour table, paint managers).
#pragma once

#include "win32/types.h"

// Shared objects are created with one reference and deleted by the release that drops the last one;
// holders never delete them directly.
class CTKPRefCounted {
public:
    CTKPRefCounted() = default;
    CTKPRefCounted(const CTKPRefCounted&) = delete;
    CTKPRefCounted& operator=(const CTKPRefCounted&) = delete;

    DWORD InternalAddRef() { return ++m_dwRef; }
    DWORD InternalRelease()
    {
        if (m_dwRef == 0)
            return 0;
        DWORD left = --m_dwRef;
        if (left == 0)
            OnFinalRelease();
        return left;
    }
    DWORD GetRefCount() const { return m_dwRef; }

protected:
    virtual ~CTKPRefCounted() = default;
    virtual void OnFinalRelease() { delete this; }

private:
    DWORD m_dwRef = 1;
};
