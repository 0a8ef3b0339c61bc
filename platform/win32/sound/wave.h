// Wave data and the system's sounds, shared by PlaySoundW and MessageBeep.
#pragma once

#include "backend/audio/audio.h"
#include "win32/types.h"

#include <string>

namespace sound {

// A RIFF WAVE image of PCM (8, 16, 24 or 32 bits, 1 to 8 channels) as 16-bit samples. False
// for anything else or a damaged file; sizes that run past the data are cut to it.
bool ParseWave(const BYTE* data, size_t size, audio::Pcm* out);

// The sound of a system alias ("SystemAsterisk", ".Default" ...); false for an unknown alias.
bool AliasSound(const std::u16string& alias, audio::Pcm* out);

// MessageBeep's sound for its type, played asynchronously. False when no device opens.
bool PlayBeep(UINT type);

} // namespace sound
