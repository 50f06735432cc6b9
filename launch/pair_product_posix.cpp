#include "launch/pair_product.h"

#include "launch/launcher.h"

int startPairProduct(Launcher&) { return exitCodeSuccess; }
