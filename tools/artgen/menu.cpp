// The menu's pictures: the title and studio decorations, every entry (drawn
// opaque; its one-pixel outer ring is what the highlight frame replaces), and
// the full-screen credits and controls pages.
#include <cmath>
#include <string>

#include "tools/artgen/art.h"
#include "tools/artgen/font.h"
#include "tools/artgen/looks.h"

// Drawn keyed at (0, 0) on every page, above the entries at y 60.
Picture PaintMenuTitle(int)
{
    Picture p = NewPicture(240, 58);
    int w = BlockLettersWidth("ZUX", 8);
    BlockLetters(p, (240 - w) / 2, 0, "ZUX", 8, ClassicColours + 4, 3);
    // Two falling pieces either side of the name.
    static const int t[4][2] = {{1, 0}, {0, 1}, {1, 1}, {2, 1}};
    static const int l[4][2] = {{0, 0}, {0, 1}, {0, 2}, {1, 2}};
    for (const int *c : t) GameBlock(p, 14 + 8 * c[0], 12 + 8 * c[1], 8, ClassicColours[2]);
    for (const int *c : l) GameBlock(p, 206 + 8 * c[0], 22 + 8 * c[1], 8, ClassicColours[3]);
    GameBlock(p, 30, 42, 8, ClassicColours[0]);
    GameBlock(p, 38, 42, 8, ClassicColours[0]);
    GameBlock(p, 196, 4, 8, ClassicColours[1]);
    return p;
}

// Drawn keyed at (16, 195) on every page, below the last entry.
Picture PaintMenuStudio(int)
{
    Picture p = NewPicture(208, 44);
    TextStyle s = HeadingStyle(Rgb(240, 244, 255), Rgb(150, 160, 200));
    DrawTextCentred(p, 104, 4, "TARNVELDIX STUDIO", s);
    TextStyle hint = LabelStyle(Rgb(220, 225, 245), Rgb(10, 10, 24));
    DrawTextCentred(p, 104, 28, GLYPH_UP GLYPH_DOWN " choose    1 or ENTER select", hint);
    return p;
}

// An ON or OFF pill at the right of an option entry.
static void Switch(Picture &p, bool on)
{
    Colour c = on ? Rgb(40, 190, 70) : Rgb(200, 50, 50);
    RoundRect(p, 160, 3, 42, 14, 6, Rgb(8, 8, 16));
    RoundRect(p, 161, 4, 40, 12, 5, c);
    for (int x = 163; x < 199; x++) Blend(p, x, 5, Rgb(255, 255, 255), 0.35f);
    DrawTextCentred(p, 181, 5, on ? "ON" : "OFF", LabelStyle(Rgb(255, 255, 255), Scale(c, 0.4f)));
}

Picture PaintMenuEntry(int which)
{
    Picture p = NewPicture(MenuEntryWidth, MenuEntryHeight, Rgb(8, 8, 18));
    int w = MenuEntryWidth, h = MenuEntryHeight;
    // Inside the ring: a glassy slate panel.
    for (int y = 1; y < h - 1; y++) {
        float t = (float)(y - 1) / (float)(h - 3);
        Colour c = Mix(Rgb(66, 76, 136), Rgb(22, 26, 62), t);
        if (y == 1) c = Rgb(120, 134, 200);
        if (y == h - 2) c = Rgb(14, 16, 40);
        for (int x = 1; x < w - 1; x++) Put(p, x, y, c);
    }
    for (int y = 2; y < h - 2; y++) {
        Put(p, 1, y, Rgb(100, 112, 180));
        Put(p, w - 2, y, Rgb(16, 18, 44));
    }

    std::string label, note;
    Colour icon = ClassicColours[which % 7];
    int skin = -1;
    switch (which) {
    case EntryContinue:
        label = "CONTINUE";
        note = "saved game";
        break;
    case EntryNew: label = "NEW GAME"; break;
    case EntrySkins: label = "SKINS"; break;
    case EntryOptions: label = "OPTIONS"; break;
    case EntryCredits: label = "CREDITS"; break;
    case EntryQuit:
        label = "QUIT";
        icon = Rgb(200, 50, 50);
        break;
    case EntryTypeA:
        label = "TYPE A";
        note = "level boards";
        break;
    case EntryTypeB:
        label = "TYPE B";
        note = "marathon";
        break;
    case EntryTypeC:
        label = "TYPE C";
        note = "rising rows";
        break;
    case EntryTypeD:
        label = "TYPE D";
        note = "odd pieces";
        break;
    case EntryBack: label = "BACK"; break;
    case EntrySoundOn:
    case EntrySoundOff: label = "SOUND"; break;
    case EntryDropOn:
    case EntryDropOff: label = "HARD DROP"; break;
    case EntryControls: label = "CONTROLS"; break;
    default:
        skin = which - EntrySkin1;
        label = SkinName(skin);
        icon = SkinItemColour(skin, 1);
        break;
    }

    if (which == EntryBack) {
        TextStyle arrow = LabelStyle(Rgb(255, 255, 255), Rgb(8, 8, 18));
        arrow.scale = 2;
        DrawText(p, 3, 2, GLYPH_LEFT, arrow);
    } else {
        FillRect(p, 3, 3, 14, 14, Rgb(8, 8, 18));
        GameBlock(p, 4, 4, 12, icon);
    }
    TextStyle s = HeadingStyle(Rgb(255, 255, 255), Rgb(180, 200, 255));
    s.shadow = Clear;
    s.outline = Rgb(8, 8, 24);
    DrawText(p, 22, 2, label.c_str(), s);

    if (!note.empty()) {
        TextStyle n = LabelStyle(Rgb(170, 185, 235), Rgb(12, 14, 40));
        DrawText(p, w - 6 - StyledWidth(note.c_str(), n), 5, note.c_str(), n);
    }
    if (which == EntrySoundOn || which == EntryDropOn) Switch(p, true);
    if (which == EntrySoundOff || which == EntryDropOff) Switch(p, false);
    if (skin >= 0)
        for (int k = 0; k < 7; k++) {
            FillRect(p, 141 + 9 * k, 5, 10, 10, Rgb(8, 8, 18));
            Picture item = PaintSkinItem(skin * 10 + k + 1);
            // The skin's own tiles, cut to 8 x 8 from their lit corner.
            for (int y = 0; y < 8; y++)
                for (int x = 0; x < 8; x++)
                    Put(p, 142 + 9 * k + x, 6 + y, Get(item, x < 4 ? x : x + 3, y < 4 ? y : y + 3));
        }
    return p;
}

// ---- Full-screen pages -------------------------------------------------------

// The pages' backdrop: deep blue with faint settled blocks along the bottom.
static Picture PageBackdrop(void)
{
    Picture p = NewPicture(240, 320);
    VGradient(p, 0, 0, 240, 320, Rgb(10, 12, 40), Rgb(40, 18, 64));
    Lcg g{0xC0FFEEu};
    for (int col = 0; col < 240 / 12; col++) {
        int height = RandomRange(&g, 1, 4);
        for (int k = 0; k < height; k++) {
            Picture block = NewPicture(12, 12);
            GameBlock(block, 0, 0, 12, ClassicColours[RandomRange(&g, 0, 6)]);
            for (int y = 0; y < 12; y++)
                for (int x = 0; x < 12; x++)
                    Blend(p, col * 12 + x, 308 - 12 * k + y, Get(block, x, y), 0.22f);
        }
    }
    for (int x = 0; x < 240; x++) {
        Put(p, x, 0, Rgb(120, 140, 230));
        Put(p, x, 319, Rgb(120, 140, 230));
    }
    for (int y = 0; y < 320; y++) {
        Put(p, 0, y, Rgb(120, 140, 230));
        Put(p, 239, y, Rgb(120, 140, 230));
    }
    return p;
}

static TextStyle Body(Colour c) { return LabelStyle(c, Rgb(6, 6, 20)); }

// A key cap with its name; returns its width.
static int Keycap(Picture &p, int x, int y, const char *name)
{
    TextStyle s = LabelStyle(Rgb(30, 30, 50), Clear);
    int w = StyledWidth(name, s) + 6;
    RoundRect(p, x, y, w, 11, 2, Rgb(20, 20, 36));
    RoundRect(p, x, y, w, 10, 2, Rgb(150, 155, 180));
    RoundRect(p, x + 1, y, w - 2, 9, 2, Rgb(230, 232, 245));
    DrawText(p, x + 3, y + 1, name, s);
    return w;
}

// A round controller button with its letter.
static int PadButton(Picture &p, int x, int y, const char *name, Colour c)
{
    Disc(p, (float)x + 6.0f, (float)y + 6.0f, 6.0f, Rgb(10, 10, 20));
    Disc(p, (float)x + 6.0f, (float)y + 5.5f, 5.2f, c);
    DrawTextCentred(p, x + 6, y + 2, name, LabelStyle(Rgb(255, 255, 255), Scale(c, 0.35f)));
    return 13;
}

Picture PaintCredits(int)
{
    Picture p = PageBackdrop();
    int w = BlockLettersWidth("ZUX", 6);
    BlockLetters(p, (240 - w) / 2, 12, "ZUX", 6, ClassicColours + 4, 3);
    DrawTextCentred(p, 120, 64, "CREDITS", HeadingStyle(Rgb(255, 240, 160), Rgb(255, 170, 60)));
    struct Line {
        const char *text;
        bool head;
    };
    static const Line lines[] = {
        {"A GAME BY", true},
        {"Tarnveldix Studio", false},
        {"", false},
        {"DESIGN AND PROGRAMMING", true},
        {"Tarnveldix Studio", false},
        {"", false},
        {"GRAPHICS", true},
        {"drawn pixel by pixel in code", false},
        {"", false},
        {"SOUND", true},
        {"synthesised note by note", false},
        {"", false},
        {"THANKS FOR PLAYING!", true},
    };
    int y = 94;
    for (const Line &l : lines) {
        if (l.text[0])
            DrawTextCentred(p, 120, y, l.text,
                            Body(l.head ? Rgb(140, 200, 255) : Rgb(255, 255, 255)));
        y += l.text[0] ? 13 : 8;
    }
    DrawTextCentred(p, 120, 252, GLYPH_HEART " zux " GLYPH_HEART,
                    HeadingStyle(Rgb(255, 120, 160), Rgb(220, 40, 90)));
    DrawTextCentred(p, 120, 290, "press 1 or ENTER to go back", Body(Rgb(200, 205, 235)));
    return p;
}

// One line of the controls page: key caps from x 10, the action from x 86 (or
// after the caps when they are wider).
static void KeyLine(Picture &p, int y, const char *const *keys, int count, const char *action)
{
    int x = 10;
    for (int k = 0; k < count; k++) x += Keycap(p, x, y, keys[k]) + 2;
    DrawText(p, x > 84 ? x + 2 : 86, y, action, Body(Rgb(255, 255, 255)));
}

static void Section(Picture &p, int y, const char *title)
{
    DrawText(p, 8, y, title, Body(Rgb(255, 210, 110)));
    int w = StyledWidth(title, Body(0));
    for (int x = 12 + w; x < 232; x++) Put(p, x, y + 5, Rgb(90, 80, 140));
}

Picture PaintControls(int)
{
    Picture p = PageBackdrop();
    DrawTextCentred(p, 120, 6, "CONTROLS", HeadingStyle(Rgb(255, 240, 160), Rgb(255, 170, 60)));
    int y = 28;
    Section(p, y, "IN THE GAME");
    y += 12;
    struct Row {
        const char *keys[3];
        int count;
        const char *action;
    };
    static const Row game[] = {
        {{GLYPH_LEFT, GLYPH_RIGHT}, 2, "move left, right"},
        {{GLYPH_DOWN}, 1, "soft drop (hard drop"},
        {{}, 0, "when HARD DROP is on)"},
        {{"1", "3", "ENTER"}, 3, "turn clockwise"},
        {{"4", "6"}, 2, "turn anticlockwise"},
        {{"7", "9"}, 2, "hard drop"},
        {{"2"}, 1, "pause, play on"},
        {{"F9"}, 1, "leave the game"},
        {{}, 0, "(CONTINUE resumes it)"},
        {{GLYPH_UP}, 1, "not used in play"},
    };
    for (const Row &r : game) {
        KeyLine(p, y, r.keys, r.count, r.action);
        y += 12;
    }
    y += 2;
    Section(p, y, "MENU, SCORES, BANNERS");
    y += 12;
    static const char *const choose[] = {GLYPH_UP, GLYPH_DOWN};
    KeyLine(p, y, choose, 2, "choose");
    y += 12;
    static const char *const pick[] = {"0-9", "ENTER"};
    KeyLine(p, y, pick, 2, "select, skip, go on");
    y += 14;
    Section(p, y, "EVERYWHERE");
    y += 12;
    static const char *const quit[] = {"F8"};
    KeyLine(p, y, quit, 1, "quit zux");
    y += 12;
    static const char *const full[] = {"F11", "ALT+ENTER"};
    KeyLine(p, y, full, 2, "full screen");
    y += 14;
    Section(p, y, "CONTROLLER");
    y += 14;
    struct Pad {
        const char *name;
        Colour c;
        const char *text;
    };
    static const Pad pads[] = {
        {"A", Rgb(60, 170, 60), "= 1 turn"},
        {"B", Rgb(200, 50, 50), "= 4 turn back"},
        {"X", Rgb(50, 100, 220), "= 7 drop"},
        {"Y", Rgb(220, 180, 30), "= 3 turn"},
    };
    for (int k = 0; k < 4; k++) {
        int x = k % 2 ? 126 : 10, yy = y + (k / 2) * 14;
        PadButton(p, x, yy - 1, pads[k].name, pads[k].c);
        DrawText(p, x + 16, yy, pads[k].text, Body(Rgb(255, 255, 255)));
    }
    y += 28;
    int x = 10 + Keycap(p, 10, y, "START") + 4;
    DrawText(p, x, y, "= 2 pause", Body(Rgb(255, 255, 255)));
    x = 126 + Keycap(p, 126, y, "BACK") + 4;
    DrawText(p, x, y, "= F9 leave", Body(Rgb(255, 255, 255)));
    y += 14;
    x = 10 + Keycap(p, 10, y, "D-PAD") + 4;
    DrawText(p, x, y, "= arrows", Body(Rgb(255, 255, 255)));
    return p;
}
