#pragma once

// a x b / c with a 64-bit product, rounded to the nearest integer, halves away from zero;
// -1 when c is 0 or the result does not fit. Dialog units and the closing effect's fixed-point
// arithmetic are rounded with it.
int MulDiv(int a, int b, int c);
