// servers.h -- activation functions of every camera type the module offers.
#pragma once

#include "cameras/panoramic/panoramic.h"
#include "cameras/cylinder/cylinder.h"
#include "cameras/perspective/perspective.h"
#include "cameras/superpano/superpano.h"
