// The game screen's shared pictures: the loading picture, the digit strip, the
// paused, get-ready, level-completed and game-over banners, and the five light
// tiles of the sweep over the settled items.
#include <cmath>

#include "tools/artgen/art.h"
#include "tools/artgen/font.h"
#include "tools/artgen/looks.h"

// Drawn keyed at (0, 103) on the black start-up screen.
Picture PaintLoading(int)
{
    Picture p = NewPicture(240, 114);
    int w = BlockLettersWidth("ZUX", 8);
    BlockLetters(p, (240 - w) / 2, 6, "ZUX", 8, ClassicColours + 4, 3);
    TextStyle s = HeadingStyle(Rgb(255, 255, 255), Rgb(150, 190, 255));
    DrawTextCentred(p, 120, 78, "LOADING...", s);
    // A row of small blocks under the word, one per item colour.
    for (int k = 0; k < 7; k++)
        GameBlock(p, 120 - 7 * 9 / 2 + 9 * k + 1, 101, 7, ClassicColours[k]);
    return p;
}

// Ten digits in 7 x 9 cells; black is transparent, so each keeps a dark outline
// that reads on any box.
Picture PaintNumeric(int)
{
    Picture p = NewPicture(70, 9);
    TextStyle s = LabelStyle(Rgb(255, 255, 255), Rgb(16, 10, 6));
    s.top = Rgb(255, 255, 245);
    s.bottom = Rgb(255, 200, 90);
    for (int d = 0; d < 10; d++) {
        char text[2] = {(char)('0' + d), 0};
        DrawText(p, 7 * d, 0, text, s);
    }
    return p;
}

// Drawn keyed at (30, 104) over the bare background while the game waits.
Picture PaintPaused(int)
{
    Picture p = NewPicture(180, 40);
    BannerPlate(p, 0, 0, 180, 40, Rgb(110, 160, 255), Rgb(26, 34, 80), Rgb(10, 12, 36));
    DrawTextCentred(p, 90, 3, "PAUSED", TitleStyle(Rgb(255, 255, 255), Rgb(140, 190, 255)));
    DrawTextCentred(p, 90, 28, "PRESS 2 TO PLAY ON",
                    LabelStyle(Rgb(200, 215, 255), Rgb(10, 12, 36)));
    return p;
}

// 128 x 31: the wave cuts it into 32 slices of 4 columns.
Picture PaintGetReady(int)
{
    Picture p = NewPicture(128, 31);
    BannerPlate(p, 0, 0, 128, 31, Rgb(255, 200, 40), Rgb(70, 30, 6), Rgb(24, 8, 0));
    TextStyle s = HeadingStyle(Rgb(255, 250, 200), Rgb(255, 160, 20));
    s.bold = true;
    s.shine = true;
    DrawTextCentred(p, 64, 7, "GET READY", s);
    return p;
}

// Drawn keyed at (8, 94) over the finished level.
Picture PaintLevelCompleted(int)
{
    Picture p = NewPicture(168, 40);
    BannerPlate(p, 0, 0, 168, 40, Rgb(120, 255, 140), Rgb(10, 70, 30), Rgb(2, 24, 10));
    TextStyle s = HeadingStyle(Rgb(255, 255, 220), Rgb(130, 255, 120));
    s.shine = true;
    DrawTextCentred(p, 84, 2, "LEVEL", s);
    DrawTextCentred(p, 84, 19, "COMPLETED", s);
    for (int side = 0; side < 2; side++) {
        TextStyle star = LabelStyle(Rgb(255, 240, 120), Rgb(2, 24, 10));
        star.scale = 2;
        DrawText(p, side ? 144 : 8, 10, GLYPH_STAR, star);
    }
    return p;
}

// Drawn opaque at (0, 95) on black; the game writes Level, Lines and Score at
// x 85 on rows 124, 138 and 153, so the labels stand to the left of x 85.
Picture PaintGameOver(int)
{
    Picture p = NewPicture(240, 72, Rgb(0, 0, 0));
    CentreBand(p, Rgb(70, 8, 16), Rgb(14, 2, 6));
    for (int x = 0; x < 240; x++) {
        Put(p, x, 0, Rgb(255, 90, 90));
        Put(p, x, 1, Rgb(150, 30, 40));
        Put(p, x, 70, Rgb(150, 30, 40));
        Put(p, x, 71, Rgb(255, 90, 90));
    }
    DrawTextCentred(p, 120, 2, "GAME OVER", TitleStyle(Rgb(255, 240, 200), Rgb(255, 70, 40)));
    static const struct {
        const char *label;
        int row, digits;
    } rows[3] = {{"LEVEL", 124 - 95, 2}, {"LINES", 138 - 95, 4}, {"SCORE", 153 - 95, 6}};
    TextStyle label = LabelStyle(Rgb(255, 220, 200), Rgb(40, 4, 8));
    label.bold = true;
    for (const auto &r : rows) {
        DrawText(p, 80 - StyledWidth(r.label, label), r.row, r.label, label);
        FillRect(p, 83, r.row - 1, 7 * r.digits + 4, 11, Rgb(20, 2, 6));
        FrameRect(p, 82, r.row - 2, 7 * r.digits + 6, 13, Rgb(140, 40, 50));
    }
    TextStyle hint = LabelStyle(Rgb(255, 190, 170), Rgb(30, 2, 6));
    DrawTextCentred(p, 188, 36, "PRESS A DIGIT", hint);
    DrawTextCentred(p, 188, 48, "OR ENTER", hint);
    return p;
}

// The sweep's five frames: a diagonal glint crossing the tile from the top left,
// widest (brightest) in the middle frame. Transparent pixels leave the item.
Picture PaintLight(int frame)
{
    Picture p = NewPicture(11, 11);
    static const float halfWidth[5] = {0.0f, 1.0f, 2.0f, 1.0f, 0.0f};
    int centre = 2 + (frame - 1) * 4;
    float hw = halfWidth[frame - 1];
    for (int j = 0; j < 11; j++)
        for (int i = 0; i < 11; i++) {
            float d = std::fabs((float)(i + j - centre));
            if (d > hw) continue;
            float t = d / (hw + 0.5f);
            Put(p, i, j, Mix(Rgb(255, 255, 255), Rgb(210, 225, 255), t));
        }
    return p;
}
