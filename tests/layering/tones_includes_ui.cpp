#include "ui/dialerwindow.h"
