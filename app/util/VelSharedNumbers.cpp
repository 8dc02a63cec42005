#include "VelSharedNumbers.h"

const plist::Value &singleton0Number()
{
    static const plist::Value number(0);
    return number;
}

const plist::Value &singleton1Number()
{
    static const plist::Value number(1);
    return number;
}
