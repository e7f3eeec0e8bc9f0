#pragma once
// Resource identifiers shared by the resource script and the code.

// Application icon (16, 32 and 48 px, 32 bpp).
#define IDI_APP 1

// Bitmaps. The 32 bpp ones carry straight (not premultiplied) alpha, as icons
// do: give them to an ILC_COLOR32 image list, or premultiply before AlphaBlend.
// Load with LR_CREATEDIBSECTION so that the alpha byte survives.
#define IDB_IMAGELIST 101     // 368 x 16, 32 bpp: public_ImageList, 23 icons of 16 x 16
#define IDB_SPLASH 102        // 430 x 250, 24 bpp: splash and about picture
#define IDB_SIDEBAR 103       // 142 x 60, 24 bpp: top of the side bar
#define IDB_CAPTION 104       // 800 x 22, 24 bpp: title-bar background, stretched sideways
#define IDB_TITLEBUTTONS 105  // 372 x 17, 24 bpp: title-button glyphs (normal, hover, pressed)
#define IDB_MENUICON 106      // 22 x 22, 32 bpp: menu icon at the left end of the title bar
#define IDB_SIDEBUTTONS 107   // 240 x 24, 32 bpp: ten side-bar button icons of 24 x 24

// The same bitmaps rendered at 125, 150 and 200 % (res/dpi/NAME_PERCENT.bmp):
// identifier + 100, + 200, + 300. Sizes are the design sizes above times the
// factor, each side rounded half up; strips of square cells keep whole cells.
#define IDB_SCALE_STEP 100
