// zuxpack's "decode" command: a TGA picture as the game reads it, written out
// as a PNG.
#pragma once

// Runs "zuxpack decode IN.tga OUT.png" (argv[0] is "decode"); returns the
// program's exit status.
int RunDecode(int argc, char **argv);
