/* Key codes of the host keyboard for the macro player */
#define ENTER      13
#define F1         0x3B00
#define ShiftF11   0x8700
