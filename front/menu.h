// The main menu: a title, a studio logo and one page of entries over a slowly
// scrolling tiled background. Pages slide out and in sideways; the highlighted
// entry wobbles and its frame pulses. From here the player continues or starts
// a game, picks a skin, switches sound and drop, and sees the credits and
// controls; left alone the menu gives way to the high scores.
#pragma once

#include <cstdint>

#include "game/skins.h"
#include "res/image.h"

enum {
    MenuPages = 5,
    MenuRows = 16,        // entries a page can hold
    MenuDecorations = 16, // slots; at most 15 are filled
    MaxMenuDecorations = 15,
    MenuIdleLimit = 150, // untouched main-page ticks before the high scores
    MenuTile = 32,       // the background tile's side
    SlideStep = 32,
};

enum MenuItemKind {
    ItemOpaque = 0,      // a page entry drawn opaque
    ItemTransparent = 1, // a page entry drawn with the transparent key
    ItemDecoration = 2,  // drawn with the key on every page
};

enum MenuPageValue {
    PageMain = 0,
    PageGameType = 1,
    PageSkins = 2,
    PageOptions = 3,
};

// The menu's states; MenuStep does one tick of the current one.
enum MenuStateValue {
    MenuMainPage = 0,
    MenuLeaveContinue = 1,
    MenuLeaveGameA = 2, // 2..5: new game of type A..D
    MenuTypePage = 6,
    MenuSkinPage = 7,
    MenuOptionsPage = 8,
    MenuCredits = 9,
    MenuLeaveQuit = 10,
    MenuSlideRight = 11,
    MenuSlideLeft = 12,
    MenuLeaveScores = 13,
    MenuControls = 14,
};

// One picture on the menu.
struct MenuItem {
    int32_t kind;         // MenuItemKind
    int32_t x, y;         // top-left now; x moves in slides and the wobble
    int32_t homeX, homeY; // the position at rest
    Image *image;         // owned; null when loading failed (the item is not drawn)
};

struct Menu {
    int32_t scrollDx, scrollDy; // background drift per tick, -1..1
    MenuItem *entries[MenuPages][MenuRows];
    MenuItem *decorations[MenuDecorations];
    int32_t entryCount[MenuPages];
    int32_t decorationCount;
    int32_t page;
    int32_t targetPage;      // where the running slide leads; -1 leaves the menu
    int32_t selection;       // highlighted row of page; -1 while a slide runs
    int32_t selectedX;       // x at rest of the highlighted entry
    int32_t lowestY;         // largest y of all entries ever added
    const Image *background; // the current skin's tile, not owned
};

// The menu's own state, kept from one entry to the next.
struct MenuStateData {
    int32_t menuState; // MenuStateValue
    int32_t nextMenuState;
    uint32_t menuTicks; // ticks since the last reset; seeds new games
    uint32_t idleTicks; // ticks without a key
    float wobbleAngle;  // degrees
    float pulseAngle;   // degrees
    int32_t scrollX, scrollY;
    int32_t slideStartX[MenuRows];
    int32_t slideY[MenuRows];
    int32_t slideDelay[MenuRows];
    int32_t slideSteps[MenuRows];
    uint8_t slideOut; // 1 while the old page leaves, 0 while the new one comes in
};

extern Menu *MainMenu;
extern MenuStateData MenuData;
extern Image *SkinMenuBackgrounds[SkinCount];

// Builds the menu: the tiles, the items of every page, the credits and the
// controls pictures. Called once at start-up after the settings are read.
void LoadMenu(void);

// The reset made on every entry: main page, row 0, a new random drift.
void ResetMenu(void);

// Makes the stored skin current for the menu and the game.
void ApplySkinOption(void);

// One tick: 0 stay, 1 Continue, 2..5 new game A..D, 6 high scores, -1 quit.
int MenuStep(void);

// Releases everything LoadMenu made; a second call does nothing.
void ReleaseMenu(void);

// Appends item to page (or to the decorations); false when 15 decorations are
// present or the page is full.
bool AddMenuItem(Menu *menu, MenuItem *item, int32_t page);

// One slide tick; true when the slide is over.
bool RunSlide(bool first, int32_t step);
