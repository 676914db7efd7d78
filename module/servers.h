// servers.h -- activation functions of every camera type the module offers.
#pragma once

#include "cameras/panoramic/panoramic.h"
