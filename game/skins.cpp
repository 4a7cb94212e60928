// The six skins and the game screen's shared pictures, loaded once at
// start-up and released once at shutdown in the mirror order.
#include "game/skins.h"

#include <cstdlib>
#include <cstring>

#include "game/progress.h"
#include "gfx/game_pictures.h"
#include "res/tga.h"

Skin Skins[SkinCount];
int32_t CurrentSkin;
Image *CurrentDestFrames[DestFrameCount];

static const char *const BackgroundNames[SkinCount] = {
    "Skin1Background.tga", "Skin2Background.tga", "Skin3Background.tga",
    "Skin4Background.tga", "Skin5Background.tga", "Skin6Background.tga"};

static const char *const ItemNames[SkinCount][ItemColours] = {
    {"Skin1Item1.tga", "Skin1Item2.tga", "Skin1Item3.tga", "Skin1Item4.tga", "Skin1Item5.tga",
     "Skin1Item6.tga", "Skin1Item7.tga"},
    {"Skin2Item1.tga", "Skin2Item2.tga", "Skin2Item3.tga", "Skin2Item4.tga", "Skin2Item5.tga",
     "Skin2Item6.tga", "Skin2Item7.tga"},
    {"Skin3Item1.tga", "Skin3Item2.tga", "Skin3Item3.tga", "Skin3Item4.tga", "Skin3Item5.tga",
     "Skin3Item6.tga", "Skin3Item7.tga"},
    {"Skin4Item1.tga", "Skin4Item2.tga", "Skin4Item3.tga", "Skin4Item4.tga", "Skin4Item5.tga",
     "Skin4Item6.tga", "Skin4Item7.tga"},
    {"Skin5Item1.tga", "Skin5Item2.tga", "Skin5Item3.tga", "Skin5Item4.tga", "Skin5Item5.tga",
     "Skin5Item6.tga", "Skin5Item7.tga"},
    {"Skin6Item1.tga", "Skin6Item2.tga", "Skin6Item3.tga", "Skin6Item4.tga", "Skin6Item5.tga",
     "Skin6Item6.tga", "Skin6Item7.tga"}};

static const char *const DestNames[SkinCount][DestFrameCount] = {
    {"Skin1Dest1.tga", "Skin1Dest2.tga", "Skin1Dest3.tga", "Skin1Dest4.tga", "Skin1Dest5.tga"},
    {"Skin2Dest1.tga", "Skin2Dest2.tga", "Skin2Dest3.tga", "Skin2Dest4.tga", "Skin2Dest5.tga"},
    {"Skin3Dest1.tga", "Skin3Dest2.tga", "Skin3Dest3.tga", "Skin3Dest4.tga", "Skin3Dest5.tga"},
    {"Skin4Dest1.tga", "Skin4Dest2.tga", "Skin4Dest3.tga", "Skin4Dest4.tga", "Skin4Dest5.tga"},
    {"Skin5Dest1.tga", "Skin5Dest2.tga", "Skin5Dest3.tga", "Skin5Dest4.tga", "Skin5Dest5.tga"},
    {"Skin6Dest1.tga", "Skin6Dest2.tga", "Skin6Dest3.tga", "Skin6Dest4.tga", "Skin6Dest5.tga"}};

const char *const SkinMenuBackgroundNames[SkinCount] = {
    "Skin1BackgroundMenu.tga", "Skin2BackgroundMenu.tga", "Skin3BackgroundMenu.tga",
    "Skin4BackgroundMenu.tga", "Skin5BackgroundMenu.tga", "Skin6BackgroundMenu.tga"};

// Frees a picture from LoadImage and empties its slot.
static void ReleaseImage(Image **slot)
{
    if (!*slot) return;
    FreeImagePixels(*slot);
    free(*slot);
    *slot = nullptr;
}

// The board of a skin: walls, the background and an empty canvas.
static void MakeBoard(Board *board, const char *backgroundName)
{
    memset(board, 0, sizeof(*board));
    board->background = LoadFullScreenPicture(backgroundName);
    (void)CreateImage(&board->canvas, CanvasWidth, CanvasHeight);
    ClearBoard(board);
}

static void ReleaseBoard(Board *board)
{
    FreeImagePixels(&board->canvas);
    if (board->background) {
        FreeFullScreenPicture(board->background);
        free(board->background);
        board->background = nullptr;
    }
    board->risingRow = nullptr;
}

static void LoadSkin(int s)
{
    Skin *skin = &Skins[s];
    MakeBoard(&skin->board, BackgroundNames[s]);
    skin->items[0] = nullptr;
    for (int i = 1; i <= ItemColours; i++) skin->items[i] = LoadImage(ItemNames[s][i - 1]);
    // Types 8..14 are built from the same tiles as 1..7.
    for (int t = 1; t <= PieceTypeCount; t++)
        MakePiece(&skin->pieces[t], t, skin->items[(t - 1) % ItemColours + 1]);
    for (int f = 0; f < DestFrameCount; f++) skin->destFrames[f] = LoadImage(DestNames[s][f]);
}

void LoadSkins(void)
{
    for (int s = 0; s < SkinCount; s++) LoadSkin(s);

    LoadGamePictures(CanvasWidth, CanvasHeight);

    CurrentSkin = 0;
    Game.Score = 0;
    Game.Level = 1;
    Game.Lines = 0;
}

bool SelectSkin(int32_t index)
{
    if (index < 0 || index >= SkinCount) return false;
    CurrentSkin = index;
    for (int f = 0; f < DestFrameCount; f++) CurrentDestFrames[f] = Skins[index].destFrames[f];
    return true;
}

void ReleaseSkins(void)
{
    ReleaseGamePictures();

    for (int s = 0; s < SkinCount; s++) {
        Skin *skin = &Skins[s];
        for (int f = DestFrameCount - 1; f >= 0; f--) ReleaseImage(&skin->destFrames[f]);
        for (int t = PieceTypeCount; t >= 1; t--) ReleasePiece(&skin->pieces[t]);
        for (int i = ItemColours; i >= 1; i--) ReleaseImage(&skin->items[i]);
        ReleaseBoard(&skin->board);
    }
    // The current frames pointed into the skins.
    for (int f = 0; f < DestFrameCount; f++) CurrentDestFrames[f] = nullptr;
}

// CurrentSkin only ever holds 0..5; the guard keeps a stray value harmless.
static Skin *Current(void)
{
    return &Skins[CurrentSkin >= 0 && CurrentSkin < SkinCount ? CurrentSkin : 0];
}

Board *CurrentBoard(void) { return &Current()->board; }

Image *const *CurrentItems(void) { return Current()->items; }

Piece *CurrentPiece(int32_t type)
{
    if (type < 1 || type > PieceTypeCount) return nullptr;
    return &Current()->pieces[type];
}
