// Shell procedures that do nothing yet.
#include "game/shell/shell.h"

