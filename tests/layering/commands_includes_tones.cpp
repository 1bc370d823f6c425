#include "tones/toneplayer.h"
