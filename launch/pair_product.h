#pragma once

#include <string>

// Starts the paired launcher at pairProduct with this process's command line. Returns the exit
// code of the launch: the pair product's own when pairReturnCode asks to wait for it, else 0.
int startPairProduct(const std::string& pairProduct, bool pairReturnCode);
