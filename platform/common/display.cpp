// What every backend reports alike: the display's size and the direction keys.
#include "platform/common/display.h"

#include "platform/platform.h"

int Plat_DisplayWidth(void) { return DisplayWidth; }
int Plat_DisplayHeight(void) { return DisplayHeight; }

void Plat_DefaultKeys(int16_t keys[4])
{
    keys[0] = VkUp;
    keys[1] = VkDown;
    keys[2] = VkLeft;
    keys[3] = VkRight;
}
