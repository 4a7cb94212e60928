// The main menu. Every tick redraws the whole picture: the drifting tiles, the
// decorations and the page's entries, the highlighted one wobbling sideways
// inside a pulsing grey frame. Pages change by sliding their entries out to
// one side, bottom entry first, and the new page's entries in from the same
// side, with a small bounce at the end.
#include "front/menu.h"

#include <cstdlib>

#include "front/settings.h"
#include "game/progress.h"
#include "game/skins.h"
#include "gfx/blit.h"
#include "gfx/trig.h"
#include "platform/clock.h"
#include "platform/keys.h"
#include "platform/platform.h"
#include "platform/screen.h"
#include "res/sound.h"
#include "res/tga.h"

Menu *MainMenu;
MenuStateData MenuData;
Image *SkinMenuBackgrounds[SkinCount];

// Degrees to radians with the single-precision pi, as every angle of the game.
static const double DegreeFactor = 0.017453293005625408;

// The two pictures of each switch, indexed by the setting (0 off, 1 on); the
// options page holds the one that matches, the other waits aside.
static MenuItem *SoundItems[2];
static MenuItem *DropItems[2];
static FullScreenPicture *CreditsPicture;
static FullScreenPicture *ControlsPicture;

enum { OptionsSoundRow = 0, OptionsDropRow = 1 };

static MenuItem *CreateMenuItem(const char *name, int32_t x, int32_t y, int32_t kind)
{
    MenuItem *item = (MenuItem *)malloc(sizeof(MenuItem));
    if (!item) return nullptr;
    item->kind = kind;
    item->x = item->homeX = x;
    item->y = item->homeY = y;
    item->image = LoadImage(name);
    return item;
}

static void FreeMenuItem(MenuItem **item)
{
    if (!*item) return;
    if ((*item)->image) {
        FreeImagePixels((*item)->image);
        free((*item)->image);
    }
    free(*item);
    *item = nullptr;
}

bool AddMenuItem(Menu *menu, MenuItem *item, int32_t page)
{
    if (!menu || !item || menu->decorationCount >= MaxMenuDecorations) return false;
    if (item->kind < ItemOpaque || item->kind > ItemDecoration) return true;
    if (item->kind == ItemDecoration) {
        menu->decorations[menu->decorationCount++] = item;
        return true;
    }
    if (page < 0 || page >= MenuPages || menu->entryCount[page] >= MenuRows) return false;
    menu->entries[page][menu->entryCount[page]++] = item;
    if (menu->selection >= 0 && menu->selection < menu->entryCount[page])
        menu->selectedX = menu->entries[page][menu->selection]->x;
    if (item->y > menu->lowestY) menu->lowestY = item->y;
    return true;
}

// Creates the item and adds it; an item that cannot be made is left out.
static void AddNewItem(const char *name, int32_t x, int32_t y, int32_t kind, int32_t page)
{
    MenuItem *item = CreateMenuItem(name, x, y, kind);
    if (item && !AddMenuItem(MainMenu, item, page)) FreeMenuItem(&item);
}

void LoadMenu(void)
{
    for (int s = 0; s < SkinCount; s++)
        SkinMenuBackgrounds[s] = LoadImage(SkinMenuBackgroundNames[s]);
    MainMenu = (Menu *)calloc(1, sizeof(Menu));
    if (!MainMenu) return;
    MainMenu->background = SkinMenuBackgrounds[0];
    ResetMenu();

    AddNewItem("MenuTitle.tga", 0, 0, ItemDecoration, 0);
    AddNewItem("MenuStudioT.tga", 16, 195, ItemDecoration, 0);

    static const char *const MainNames[6] = {"MenuContinue.tga", "MenuNew.tga",     "MenuSkins.tga",
                                             "MenuOptions.tga",  "MenuCredits.tga", "MenuQuit.tga"};
    for (int i = 0; i < 6; i++) AddNewItem(MainNames[i], 16, 60 + 23 * i, ItemOpaque, PageMain);

    static const char *const TypeNames[4] = {"MenuTypeA.tga", "MenuTypeB.tga", "MenuTypeC.tga",
                                             "MenuTypeD.tga"};
    for (int i = 0; i < 4; i++) AddNewItem(TypeNames[i], 16, 60 + 25 * i, ItemOpaque, PageGameType);
    AddNewItem("MenuBack.tga", 16, 160, ItemOpaque, PageGameType);

    static const char *const SkinNames[SkinCount] = {"MenuSkin1.tga", "MenuSkin2.tga",
                                                     "MenuSkin3.tga", "MenuSkin4.tga",
                                                     "MenuSkin5.tga", "MenuSkin6.tga"};
    for (int i = 0; i < SkinCount; i++)
        AddNewItem(SkinNames[i], 16, 60 + 23 * i, ItemOpaque, PageSkins);

    SoundItems[1] = CreateMenuItem("MenuSoundOn.tga", 16, 60, ItemOpaque);
    SoundItems[0] = CreateMenuItem("MenuSoundOff.tga", 16, 60, ItemOpaque);
    DropItems[1] = CreateMenuItem("MenuDropOn.tga", 16, 83, ItemOpaque);
    DropItems[0] = CreateMenuItem("MenuDropOff.tga", 16, 83, ItemOpaque);
    AddMenuItem(MainMenu, SoundItems[Settings.SoundOption != 0], PageOptions);
    AddMenuItem(MainMenu, DropItems[Settings.DropOption != 0], PageOptions);
    AddNewItem("MenuControls.tga", 16, 106, ItemOpaque, PageOptions);
    AddNewItem("MenuBack.tga", 16, 129, ItemOpaque, PageOptions);

    CreditsPicture = LoadFullScreenPicture("Credits.tga");
    ControlsPicture = LoadFullScreenPicture("Controls.tga");
}

void ResetMenu(void)
{
    Menu *menu = MainMenu;
    if (!menu) return;
    menu->page = PageMain;
    menu->selection = 0;
    menu->targetPage = PageMain;
    menu->scrollDx = Plat_Rand() % 3 - 1;
    menu->scrollDy = Plat_Rand() % 3 - 1;
    if (menu->scrollDx == 0 && menu->scrollDy == 0) menu->scrollDx = 1;
    for (int p = 0; p < MenuPages; p++)
        for (int i = 0; i < menu->entryCount[p]; i++)
            menu->entries[p][i]->x = menu->entries[p][i]->homeX;
    MenuData.menuState = MenuMainPage;
    MenuData.nextMenuState = MenuMainPage;
    MenuData.menuTicks = 0;
    MenuData.idleTicks = 0;
}

// Puts skin index to use: its menu tile and the game's skin.
static void UseSkin(int32_t index)
{
    if (index < 0 || index >= SkinCount) index = 0;
    if (MainMenu) MainMenu->background = SkinMenuBackgrounds[index];
    SelectSkin(index);
}

void ApplySkinOption(void) { UseSkin(Settings.SelectedSkin); }

// Advances the pulse and draws one item, plain or inside the pulsing frame.
static void DrawMenuItem(const MenuItem *item, bool highlighted)
{
    MenuStateData *m = &MenuData;
    m->pulseAngle += 3.0f;
    if (m->pulseAngle >= 360.0f) m->pulseAngle = 0.0f;
    double s = GameSin((double)m->pulseAngle * DegreeFactor);
    if (!item->image) return;
    if (highlighted) {
        int32_t level = (int32_t)(((float)s + 1.0f) * 15.0f);
        BlitFramed(item->image, item->x, item->y, (uint16_t)(level * GreyStep));
    } else if (item->kind == ItemOpaque) {
        BlitOpaque(item->image, item->x, item->y);
    } else {
        BlitTransparent(item->image, item->x, item->y);
    }
}

// Up, then Down: each moves the highlight one row, wrapping, and starts the wobble.
static void MoveHighlight(Menu *menu)
{
    int32_t count = menu->entryCount[menu->page];
    if (menu->selection < 0 || menu->selection >= count) return;
    MenuItem *const *rows = menu->entries[menu->page];
    if (KeyFires(KeyUp)) {
        rows[menu->selection]->x = menu->selectedX;
        menu->selection = menu->selection == 0 ? count - 1 : menu->selection - 1;
        menu->selectedX = rows[menu->selection]->x;
        MenuData.wobbleAngle = 270.0f;
    }
    if (KeyFires(KeyDown)) {
        rows[menu->selection]->x = menu->selectedX;
        menu->selection = menu->selection == count - 1 ? 0 : menu->selection + 1;
        menu->selectedX = rows[menu->selection]->x;
        MenuData.wobbleAngle = 360.0f;
    }
}

// The tiles, the decorations and the page's entries, without reading keys.
static void DrawMenuFrame(Menu *menu)
{
    MenuStateData *m = &MenuData;
    m->scrollX += menu->scrollDx;
    if (m->scrollX < 0) m->scrollX = MenuTile - 1;
    if (m->scrollX >= MenuTile) m->scrollX = 0;
    m->scrollY += menu->scrollDy;
    if (m->scrollY < 0) m->scrollY = MenuTile - 1;
    if (m->scrollY >= MenuTile) m->scrollY = 0;

    int32_t W = (int32_t)ScreenWidth, H = (int32_t)ScreenHeight;
    if (menu->background)
        for (int32_t ty = 0; ty < H + MenuTile; ty += MenuTile)
            for (int32_t tx = 0; tx < W + MenuTile; tx += MenuTile)
                BlitOpaque(menu->background, tx - m->scrollX, ty - m->scrollY);

    for (int32_t i = 0; i < menu->decorationCount; i++) DrawMenuItem(menu->decorations[i], false);
    for (int32_t i = 0; i < menu->entryCount[menu->page]; i++) {
        MenuItem *item = menu->entries[menu->page][i];
        if (i != menu->selection) {
            DrawMenuItem(item, false);
            continue;
        }
        float wobble = (float)GameSin((double)m->wobbleAngle * DegreeFactor);
        int16_t offset = (int16_t)(int32_t)(wobble * 3.0f);
        item->x = menu->selectedX + offset;
        DrawMenuItem(item, true);
        m->wobbleAngle -= 90.0f;
        if (m->wobbleAngle < 0.0f) m->wobbleAngle = 0.0f;
    }
}

static void UpdateAndDrawMenu(Menu *menu)
{
    MoveHighlight(menu);
    DrawMenuFrame(menu);
}

// Starts a slide to target (-1 leaves the menu); the highlight and the keys
// rest until it ends in next.
static void StartSlide(int32_t target, int32_t step, int32_t next)
{
    MainMenu->targetPage = target;
    MainMenu->selection = -1;
    MenuData.menuState = step > 0 ? MenuSlideRight : MenuSlideLeft;
    MenuData.nextMenuState = next;
    MenuData.menuTicks = 0;
}

bool RunSlide(bool first, int32_t step)
{
    Menu *menu = MainMenu;
    MenuStateData *m = &MenuData;
    if (!menu) return true;
    int32_t W = (int32_t)ScreenWidth;
    MenuItem *const *rows = menu->entries[menu->page];
    int32_t count = menu->entryCount[menu->page];
    if (first) {
        // The lower an entry, the sooner it leaves.
        for (int32_t i = 0; i < count; i++) {
            m->slideStartX[i] = rows[i]->x;
            m->slideY[i] = rows[i]->y;
            m->slideDelay[i] = (menu->lowestY - rows[i]->y) / 8;
            m->slideSteps[i] = 0;
            rows[i]->x = rows[i]->homeX;
        }
        m->slideOut = 1;
        return false;
    }
    if (m->slideOut) {
        bool allOut = true;
        for (int32_t i = 0; i < count; i++) {
            if (m->slideDelay[i] <= 0) {
                rows[i]->x = m->slideStartX[i] + m->slideSteps[i] * step;
                m->slideSteps[i]++;
            }
            m->slideDelay[i]--;
            bool out = step > 0 ? rows[i]->x > W : rows[i]->x < -W;
            if (!out) allOut = false;
        }
        if (!allOut) return false;
        if (menu->targetPage == -1) return true;
        m->slideOut = 0;
        menu->page = menu->targetPage;
        rows = menu->entries[menu->page];
        count = menu->entryCount[menu->page];
    }
    // The new page comes back along the same steps, ending in a bounce.
    bool allIn = true;
    for (int32_t i = 0; i < count; i++) {
        int32_t c = --m->slideSteps[i];
        if (c >= 0) {
            rows[i]->x = m->slideStartX[i] + c * step;
            allIn = false;
        } else if (c >= -3) {
            rows[i]->x = m->slideStartX[i] + 4 * (c % 2) + 2;
            allIn = false;
        } else {
            rows[i]->x = rows[i]->homeX;
        }
    }
    if (!allIn) return false;
    menu->selection = 0;
    return true;
}

// Seeds the game's random pieces with the time spent on the page.
static void SeedFromMenu(void) { Plat_Seed(MenuData.menuTicks); }

// Swaps the switch item of row for the one matching value.
static void ShowSwitch(MenuItem *const items[2], int32_t row, int32_t value)
{
    MenuItem *item = items[value != 0];
    if (item && row < MainMenu->entryCount[PageOptions]) MainMenu->entries[PageOptions][row] = item;
}

// What select does on each page's rows.
static void SelectRow(int32_t state, int32_t row)
{
    switch (state) {
    case MenuMainPage:
        switch (row) {
        case 0:
            if (SavedGame.SavedGameValid != 0) {
                SeedFromMenu();
                StartSlide(-1, SlideStep, MenuLeaveContinue);
            } else {
                PlayEffect(SoundDestroy); // nothing to continue: the refusal
            }
            break;
        case 1: StartSlide(PageGameType, SlideStep, MenuTypePage); break;
        case 2: StartSlide(PageSkins, SlideStep, MenuSkinPage); break;
        case 3: StartSlide(PageOptions, SlideStep, MenuOptionsPage); break;
        case 4: MenuData.menuState = MenuCredits; break;
        case 5: StartSlide(-1, SlideStep, MenuLeaveQuit); break;
        default: break;
        }
        break;
    case MenuTypePage:
        if (row >= 0 && row <= 3) {
            SavedGame.SavedGameValid = 0;
            SeedFromMenu();
            StartSlide(-1, SlideStep, MenuLeaveGameA + row);
        } else if (row == 4) {
            StartSlide(PageMain, -SlideStep, MenuMainPage);
        }
        break;
    case MenuSkinPage:
        if (row >= 0 && row < SkinCount) {
            Settings.SelectedSkin = row;
            UseSkin(row);
            StartSlide(PageMain, -SlideStep, MenuMainPage);
        }
        break;
    case MenuOptionsPage:
        switch (row) {
        case OptionsSoundRow:
            Settings.SoundOption = Settings.SoundOption != 0 ? 0 : 1;
            ShowSwitch(SoundItems, OptionsSoundRow, Settings.SoundOption);
            break;
        case OptionsDropRow:
            Settings.DropOption = Settings.DropOption != 0 ? 0 : 1;
            ShowSwitch(DropItems, OptionsDropRow, Settings.DropOption);
            break;
        case 2: MenuData.menuState = MenuControls; break;
        case 3: StartSlide(PageMain, -SlideStep, MenuMainPage); break;
        default: break;
        }
        break;
    default: break;
    }
}

// A tick of a page: Up and Down sound, select acts on the row, then the frame.
static int PageTick(Menu *menu, int32_t state)
{
    if (KeyFires(KeyDown) || KeyFires(KeyUp)) {
        MenuData.idleTicks = 0;
        PlayEffect(SoundRotate);
    }
    if (AnyKeyFires()) {
        MenuData.idleTicks = 0;
        PlayEffect(SoundClick);
        SelectRow(state, menu->selection);
    }
    UpdateAndDrawMenu(menu);
    PresentFrame(BackBuffer);
    return 0;
}

// The credits or controls picture until select returns to state back. Without
// the picture the menu shows instead, its keys at rest.
static int PictureTick(Menu *menu, const FullScreenPicture *picture, int32_t back)
{
    if (picture)
        CopyFullScreen(picture);
    else
        DrawMenuFrame(menu);
    if (AnyKeyFires()) {
        PlayEffect(SoundClick);
        MenuData.menuState = back;
        MenuData.menuTicks = 0;
        MenuData.idleTicks = 0;
    }
    PresentFrame(BackBuffer);
    return 0;
}

int MenuStep(void)
{
    MenuStateData *m = &MenuData;
    m->menuTicks++;
    m->idleTicks++;
    SetTimerPeriod(LongTimerPeriod);
    SetThreshold(KeyDown, 10);
    Menu *menu = MainMenu;
    if (!menu) return -1; // no menu could be built: nothing to show, so close

    switch (m->menuState) {
    case MenuMainPage:
        if (m->idleTicks >= MenuIdleLimit) {
            StartSlide(-1, -SlideStep, MenuLeaveScores);
            m->idleTicks = 0;
            PresentFrame(BackBuffer);
            return 0;
        }
        return PageTick(menu, m->menuState);
    case MenuTypePage:
    case MenuSkinPage:
    case MenuOptionsPage: return PageTick(menu, m->menuState);
    case MenuLeaveContinue: return 1;
    case MenuLeaveGameA:
    case MenuLeaveGameA + 1:
    case MenuLeaveGameA + 2:
    case MenuLeaveGameA + 3: return m->menuState;
    case MenuLeaveQuit: return -1;
    case MenuLeaveScores: return 6;
    case MenuCredits: return PictureTick(menu, CreditsPicture, MenuMainPage);
    case MenuControls: return PictureTick(menu, ControlsPicture, MenuOptionsPage);
    case MenuSlideRight:
    case MenuSlideLeft:
        if (RunSlide(m->menuTicks == 1, m->menuState == MenuSlideRight ? SlideStep : -SlideStep)) {
            m->menuTicks = 0;
            m->menuState = m->nextMenuState;
        }
        UpdateAndDrawMenu(menu);
        PresentFrame(BackBuffer);
        return 0;
    default: PresentFrame(BackBuffer); return 0;
    }
}

// True when item is one of the options page's entries.
static bool OnOptionsPage(const MenuItem *item)
{
    for (int32_t i = 0; MainMenu && i < MainMenu->entryCount[PageOptions]; i++)
        if (MainMenu->entries[PageOptions][i] == item) return true;
    return false;
}

void ReleaseMenu(void)
{
    if (ControlsPicture) {
        FreeFullScreenPicture(ControlsPicture);
        free(ControlsPicture);
        ControlsPicture = nullptr;
    }
    if (CreditsPicture) {
        FreeFullScreenPicture(CreditsPicture);
        free(CreditsPicture);
        CreditsPicture = nullptr;
    }
    for (int v = 0; v < 2; v++) {
        if (!OnOptionsPage(SoundItems[v])) FreeMenuItem(&SoundItems[v]);
        if (!OnOptionsPage(DropItems[v])) FreeMenuItem(&DropItems[v]);
    }
    if (MainMenu) {
        for (int32_t i = 0; i < MainMenu->decorationCount; i++)
            FreeMenuItem(&MainMenu->decorations[i]);
        for (int p = 0; p < MenuPages; p++)
            for (int32_t i = 0; i < MainMenu->entryCount[p]; i++)
                FreeMenuItem(&MainMenu->entries[p][i]);
        free(MainMenu);
        MainMenu = nullptr;
    }
    for (int v = 0; v < 2; v++) {
        SoundItems[v] = nullptr;
        DropItems[v] = nullptr;
    }
    for (int s = SkinCount - 1; s >= 0; s--)
        if (SkinMenuBackgrounds[s]) {
            FreeImagePixels(SkinMenuBackgrounds[s]);
            free(SkinMenuBackgrounds[s]);
            SkinMenuBackgrounds[s] = nullptr;
        }
}
