/*
 * keys.h - kody klawiszy programu VOLMAR
 *
 * Kod klawisza: kod skanowania w starszym bajcie, kod znaku w mlodszym
 * (kody klawiatury BIOS); znaki sa kodami 1-255.  Makro wywoluje klawisz
 * jego nazwa w nawiasach kwadratowych, np. [ENTER], [F5], [ALT_P],
 * [CTRL_HOME]; w dzienniku makra klawisz tez wystepuje pod ta nazwa.
 * Nazwy maja najwyzej 13 znakow i rozroznia sie w nich wielkosc liter.
 */
#ifndef KEYS_H
#define KEYS_H

/* klawisze sterujace */
#define BACKSPACE     8
#define TAB           9
#define CTRL_ENTER    10
#define ENTER         13
#define ESC           27
#define CTRL_BACKSP   127
#define ALT_ESC       0x0100
#define ALT_BACKSP    0x0E00
#define SHIFT_TAB     0x0F00
#define ALT_ENTER     0x1C00
#define CTRL_TAB      0x9400
#define ALT_TAB       0xA500

/* klawisze funkcyjne: same, z Shift, z Ctrl, z Alt */
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
#define SHIFT_F4      0x5700
#define SHIFT_F5      0x5800
#define SHIFT_F6      0x5900
#define SHIFT_F7      0x5A00
#define SHIFT_F8      0x5B00
#define SHIFT_F9      0x5C00
#define SHIFT_F10     0x5D00
#define SHIFT_F11     0x8700
#define SHIFT_F12     0x8800
#define CTRL_F1       0x5E00
#define CTRL_F2       0x5F00
#define CTRL_F3       0x6000
#define CTRL_F4       0x6100
#define CTRL_F5       0x6200
#define CTRL_F6       0x6300
#define CTRL_F7       0x6400
#define CTRL_F8       0x6500
#define CTRL_F9       0x6600
#define CTRL_F10      0x6700
#define CTRL_F11      0x8900
#define CTRL_F12      0x8A00
#define ALT_F1        0x6800
#define ALT_F2        0x6900
#define ALT_F3        0x6A00
#define ALT_F4        0x6B00
#define ALT_F5        0x6C00
#define ALT_F6        0x6D00
#define ALT_F7        0x6E00
#define ALT_F8        0x6F00
#define ALT_F9        0x7000
#define ALT_F10       0x7100
#define ALT_F11       0x8B00
#define ALT_F12       0x8C00

/* kursor i edycja: same, z Ctrl, z Alt */
#define UP            0x4800
#define DOWN          0x5000
#define LEFT          0x4B00
#define RIGHT         0x4D00
#define HOME          0x4700
#define END           0x4F00
#define PGUP          0x4900
#define PGDN          0x5100
#define INS           0x5200
#define DEL           0x5300
#define CTRL_UP       0x8D00
#define CTRL_DOWN     0x9100
#define CTRL_LEFT     0x7300
#define CTRL_RIGHT    0x7400
#define CTRL_HOME     0x7700
#define CTRL_END      0x7500
#define CTRL_PGUP     0x8400
#define CTRL_PGDN     0x7600
#define CTRL_INS      0x9200
#define CTRL_DEL      0x9300
#define ALT_UP        0x9800
#define ALT_DOWN      0xA000
#define ALT_LEFT      0x9B00
#define ALT_RIGHT     0x9D00
#define ALT_HOME      0x9700
#define ALT_END       0x9F00
#define ALT_PGUP      0x9900
#define ALT_PGDN      0xA100
#define ALT_INS       0xA200
#define ALT_DEL       0xA300

/* Alt z litera */
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

/* Alt z cyfra */
#define ALT_1         0x7800
#define ALT_2         0x7900
#define ALT_3         0x7A00
#define ALT_4         0x7B00
#define ALT_5         0x7C00
#define ALT_6         0x7D00
#define ALT_7         0x7E00
#define ALT_8         0x7F00
#define ALT_9         0x8000
#define ALT_0         0x8100

/* znaki, ktorych makro nie napisze wprost: '[' otwiera nazwe w nawiasach */
#define LBRACKET      0x5B

#endif /* KEYS_H */
