/*
 * keys.h - kody klawiszy programu VOLMAR
 *
 * Kod klawisza: kod skanowania w starszym bajcie, kod znaku w mlodszym
 * (kody klawiatury BIOS).  Nazwy najwyzej 13-znakowe.
 */
#ifndef KEYS_H
#define KEYS_H

/* klawisze sterujace */
#define BACKSPACE     8
#define TAB           9
#define ENTER         13
#define ESC           27

/* klawisze funkcyjne */
#define F1            0x3B00
#define F2            0x3C00
#define F3            0x3D00
#define F4            0x3E00
#define F5            0x3F00
#define F6            0x4000
#define F7            0x4100
#define F8            0x4200
#define F9            0x4300
#define F10           0x4400
#define F11           0x8500
#define F12           0x8600
#define SHIFT_F1      0x5400
#define SHIFT_F2      0x5500
#define SHIFT_F3      0x5600
#define SHIFT_F10     0x5D00
#define SHIFT_F11     0x8700
#define SHIFT_F12     0x8800
#define CTRL_F1       0x5E00
#define ALT_F1        0x6800

/* kursor i edycja */
#define HOME          0x4700
#define UP            0x4800
#define PGUP          0x4900
#define LEFT          0x4B00
#define RIGHT         0x4D00
#define END           0x4F00
#define DOWN          0x5000
#define PGDN          0x5100
#define INS           0x5200
#define DEL           0x5300
#define CTRL_LEFT     0x7300
#define CTRL_RIGHT    0x7400
#define CTRL_END      0x7500
#define CTRL_PGDN     0x7600
#define CTRL_HOME     0x7700
#define CTRL_PGUP     0x8400

/* Alt+litera */
#define ALT_Q         0x1000
#define ALT_W         0x1100
#define ALT_E         0x1200
#define ALT_R         0x1300
#define ALT_T         0x1400
#define ALT_Y         0x1500
#define ALT_U         0x1600
#define ALT_I         0x1700
#define ALT_O         0x1800
#define ALT_P         0x1900
#define ALT_A         0x1E00
#define ALT_S         0x1F00
#define ALT_D         0x2000
#define ALT_F         0x2100
#define ALT_G         0x2200
#define ALT_H         0x2300
#define ALT_J         0x2400
#define ALT_K         0x2500
#define ALT_L         0x2600
#define ALT_Z         0x2C00
#define ALT_X         0x2D00
#define ALT_C         0x2E00
#define ALT_V         0x2F00
#define ALT_B         0x3000
#define ALT_N         0x3100
#define ALT_M         0x3200

#endif /* KEYS_H */
