#include "reader/track_builder.h"

namespace scenario {

double curvature_of_class(int curve_class) {
    switch (curve_class) {
        case 1:
            return 0.0001;
        case 2:
            return 0.0002;
        case 3:
            return 0.0004;
        case 4:
            return 0.001;
        case 5:
            return 0.002;
        case 6:
            return 0.003;
        default:
            return 0.0;
    }
}

}  // namespace scenario
