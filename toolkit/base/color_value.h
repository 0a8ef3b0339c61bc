// Toolkit colour records: a colour with an override, and a two-colour gradient with a middle factor.
#pragma once

#include "win32/types.h"

// -1 in either word means "none"; the override wins when set.
struct CTKPColorValue {
    COLORREF m_clrStandard = COLORREF(-1);
    COLORREF m_clrOverride = COLORREF(-1);

    void Reset() { m_clrStandard = m_clrOverride = COLORREF(-1); }
    COLORREF Effective() const { return m_clrOverride != COLORREF(-1) ? m_clrOverride : m_clrStandard; }
    operator COLORREF() const { return Effective(); }
    void SetStandard(COLORREF c) { m_clrStandard = c; }
    void SetOverride(COLORREF c) { m_clrOverride = c; }
};

struct CTKPGradientColor {
    CTKPColorValue m_light;
    CTKPColorValue m_dark;
    float m_fFactor = 0.5f;

    CTKPGradientColor() = default;
    explicit CTKPGradientColor(COLORREF c) { SetStandardColor(c); }
    CTKPGradientColor(COLORREF light, COLORREF dark, float factor = 0.5f) { SetStandardValue(light, dark, factor); }

    void SetStandardColor(COLORREF c)
    {
        m_light.m_clrStandard = m_dark.m_clrStandard = c;
        m_fFactor = 0.5f;
    }
    void SetStandardValue(COLORREF light, COLORREF dark, float factor = 0.5f)
    {
        m_light.m_clrStandard = light;
        m_dark.m_clrStandard = dark;
        m_fFactor = factor;
    }
    void CopyEffective(const CTKPGradientColor& other)
    {
        m_light.m_clrStandard = other.m_light.Effective();
        m_dark.m_clrStandard = other.m_dark.Effective();
        m_fFactor = other.m_fFactor;
    }
    COLORREF Light() const { return m_light.Effective(); }
    COLORREF Dark() const { return m_dark.Effective(); }
};
