#pragma once

// A control's place in twips.
struct TwipRect
{
    float left, top, width, height;
};

// The main window's controls in twips, as designed, and the rule that keeps the list filling
// the window and About and Exit at its bottom. Computed in single precision.
class MainLayout
{
public:
    TwipRect lvwFiles{1680, 120, 8775, 4215};
    TwipRect cmdExit{120, 3945, 1455, 390};
    TwipRect cmdAbout{120, 3480, 1455, 390};
    TwipRect cmdExecuteFile{120, 1080, 1455, 390};
    TwipRect cmdIndexDirectory{120, 120, 1455, 390};
    TwipRect cmdRemove{120, 1560, 1455, 390};
    TwipRect cmdSearch{120, 600, 1455, 390};
    // The status line below the list, as wide as the list; its height is given by the window
    // (one line of its font). The controls above it are laid out as designed in the client area
    // less that height, so the list keeps its margins and, in the first size, its size.
    TwipRect lblStatus{1680, 4500, 8775, 0};

    // A step whose size comes out negative is skipped; a negative top is applied.
    void Form_Resize(float scaleWidth, float scaleHeight);
};
