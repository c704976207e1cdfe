#include "animation/vehicle_body.h"

const PicturePoint VehicleBodySeeds[7] = {{40, 13}, {22, 13}, {12, 7}, {12, 9}, {12, 12}, {12, 15}, {12, 18}};
