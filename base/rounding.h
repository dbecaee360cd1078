#pragma once

// The program's one rounding rule, as its files and its layout have always
// rounded: to the nearest whole number, a half going to the even neighbour.
// 2.5 gives 2, 3.5 gives 4, -2.5 gives -2.
double roundHalfEven(double value);
