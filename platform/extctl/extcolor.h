// extcolor.h — the extended-controls library's colour control and its colour-space
// conversions.
//
// Stands in for: the colour control and the paint manager's conversions of the suite's
// extended-controls library.
// [X] CExtPaintManager: RGB <-> CMY, RGB <-> HSL (hue, saturation, light as 0.0 ... 1.0)
// [X] CExtColorCtrl: sixteen presentations (below), picking by mouse and arrow keys, the
//     current colour marked, the colour-changed notification to the parent
// [ ] the paint manager's themes and other drawing services
//
// A CExtColorCtrl takes over a control of a dialog template (usually a push button) with
// SubclassDlgItem: from then on that place of the dialog is the colour control, with the
// template control's id, position and tab stop. It keeps a record of three colours:
//   m_clrReference  the colour the user started from (the swatch shows it under "current")
//   m_clrCurrent    the control's current colour: marked in the presentation
//   m_clrPrevious   the current colour before its last change
// When the user picks a colour the control sends its parent the registered message
// g_nMsgColorChanged with WPARAM = the control's window and LPARAM = the record's address.
//
// Presentations (the mode index is the mode's number):
//   0  basic colours: 48 fields (40 colours, 8 greys); arrow keys move between the fields
//   1  hue (across) and saturation (up) at the current light, with a light bar for them
//   2  saturation (across) and light (up) of the current hue, with a hue bar
//   3  a colour wheel, hue round and saturation outwards at the current light, with a
//      light bar
//      (Hue and saturation do not show at black and white, nor hue at a grey: there the
//      planes and the hue bar show and pick them at half light and full saturation.)
//   4  the RGB cube: its three visible faces show the slices through the current colour
//   5  three bars for red, green and blue, each through the current colour
//   6  a grey bar from black to white
//   7, 8  the cube and the bars of cyan, magenta and yellow (255 - red, green, blue)
//   9 ... 14  one axis (red, green, blue, cyan, magenta, yellow) as a bar beside the plane
//      of the other two at the axis's current value
//   15 the swatch: the current colour above, the reference colour below; a click on the
//      lower half takes the reference colour back
// Keys: Left / Right and Up / Down move the mark in the plane (in the bars: Left / Right
// change the value, Up / Down choose the bar); Page Up / Page Down move the side bar or the
// cube's third axis. Shift makes a step 16 times larger.
//
// Gradients are drawn into images when the value they depend on changes or the control's
// size changes, not at each paint.
#pragma once

#include "mfc/afxwin.h"

#include <memory>

class CExtPaintManager {
public:
    // Cyan, magenta and yellow in the places of red, green and blue: each is 255 minus the
    // other. The same operation converts both ways; the upper byte is cleared.
    static COLORREF stat_RGBtoCMY(COLORREF clr);
    static COLORREF stat_CMYtoRGB(COLORREF clr);
    // Hue, saturation and light of a colour, each 0.0 ... 1.0 (hue 1.0 is hue 0.0, red).
    // Any null pointer is skipped.
    static void stat_RGBtoHSL(COLORREF rgb, double* H, double* S, double* L);
    // The colour of hue, light and saturation (in this order), each limited to 0.0 ... 1.0;
    // channels rounded to the nearest of 0 ... 255.
    static COLORREF stat_HLStoRGB(double H, double L, double S);
};

class CExtColorCtrl : public CWnd {
public:
    enum e_mode_t {
        MODE_NAMED_COLORS = 0,
        MODE_HSL_PANEL = 1,
        MODE_HSL_BASIC_HUE = 2,
        MODE_HSL_ROLLER = 3,
        MODE_RGB_CUBE = 4,
        MODE_RGB_MIX = 5,
        MODE_GRAYSCALE_MIX = 6,
        MODE_CMY_CUBE = 7,
        MODE_CMY_MIX = 8,
        MODE_R = 9,
        MODE_G = 10,
        MODE_B = 11,
        MODE_C = 12,
        MODE_M = 13,
        MODE_Y = 14,
        MODE_SWATCH = 15,
        MODE_COUNT = 16
    };

    struct selection_colors_t {
        COLORREF m_clrReference = RGB(255, 255, 255);
        COLORREF m_clrCurrent = RGB(255, 255, 255);
        COLORREF m_clrPrevious = RGB(255, 255, 255);
    };

    // Registered as "CExtColorCtrl::g_nMsgColorChanged".
    static const UINT g_nMsgColorChanged;

    explicit CExtColorCtrl(e_mode_t eMode = MODE_NAMED_COLORS);
    ~CExtColorCtrl() override;

    // Takes over control nID of pParent (see above). False when there is no such control
    // or this control already has a window.
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);

    // Changes the presentation (an index outside 0 ... 15 is ignored); the colour stays.
    CExtColorCtrl& operator=(e_mode_t eMode);
    e_mode_t GetMode() const { return m_eMode; }

    // Makes clr the current colour (the old one becomes the previous colour) and redraws.
    // With bNotifyChanged the parent gets g_nMsgColorChanged as after a pick by the user.
    void SetupColor(COLORREF clr, bool bNotifyChanged);
    COLORREF GetCurrentColor() const { return m_selClrs.m_clrCurrent; }

    // The colour a click at pt (client coordinates) would pick now; false where a click
    // picks nothing (a gap, outside the wheel or the cube).
    bool ColorAtPoint(CPoint pt, COLORREF& clr) const;

    // The record; a dialog may write it directly before the control shows.
    selection_colors_t m_selClrs;

    // The 48 colours of the basic-colours presentation, row by row (8 across).
    static const COLORREF g_basicColors[48];

    class Surface;  // the window (private to the library)

private:
    friend class Surface;
    e_mode_t m_eMode;
    // Hue, saturation and light kept as the user set them, so that a colour without hue
    // (a grey) or without saturation (black, white) keeps the other values for the next
    // step; valid while the current colour is the one they give.
    double m_h = 0, m_s = 0, m_l = 1;
    COLORREF m_hslFor = RGB(255, 255, 255);
    int m_activeBar = 0;  // the bar the keys change in the mixers
    Surface* m_surface = nullptr;

    void syncHsl();
    // A pick by the user: sets the colour (and the kept HSL values when given) and notifies.
    void pick(COLORREF clr, const double* hsl = nullptr);
};
