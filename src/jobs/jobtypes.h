#pragma once

#include <QtGlobal>

// Compression value types shared by jobs, the settings record and the panel.
// They are plain one-byte enumerations on purpose: a hand-edited settings
// value may hold any byte, and such a value must survive a load and a save
// untouched, so no code may assume the named values are the only ones.

enum TAlgorithm : quint8 { CBR = 0, ABR = 1, VBR = 2 };

enum TMode : quint8 { Joint_stereo = 0, Stereo = 1, Force = 2, Mono = 3, Auto = 4, Default = 5 };

using TInterval = quint8; // 0 to 9 by contract, not enforced

// Run modes: the item index of the mode radio group.
enum TRunMode : int { EncodeMode = 0, DecodeMode = 1 };
