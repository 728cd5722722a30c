#include "PlatformHelp.h"

constinit const PlatformHelp ThisPlatformHelp = {
    "vypíše sériové porty počítače",
    "U každého portu COMx popis, u USB identifikátory, produkt, výrobce a sériové číslo;\n"
    "označí port, který vezme ovladač USB konvertoru RVC-772.",
    "jen v Linuxu: udělá ve složce ports/ odkaz NÁZEV na sériový port CESTA",
    "Ve Windows ho není třeba: ovladače otevírají porty COMx přímo.",
    "profil, protokol nebo SERKON.ini nelze zapsat; scan --store našel více modulů\n",
    "Příkaz ports link je jen pro Linux: ve Windows ovladače otevírají porty COMx přímo.",
};
