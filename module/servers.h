// servers.h -- activation functions of every camera type the module offers.
#pragma once

#include "cameras/panoramic/panoramic.h"
#include "cameras/cylinder/cylinder.h"
#include "cameras/perspective/perspective.h"
#include "cameras/superpano/superpano.h"
#include "cameras/stereo/stereo.h"
#include "cameras/skybox/skybox.h"
#include "cameras/fisheye/fisheye.h"
#include "cameras/dual/dual.h"
#include "cameras/fourup/fourup.h"
#include "cameras/twelveup/twelveup.h"
#include "cameras/overscan/overscan.h"
