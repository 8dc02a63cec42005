#pragma once

// Widgets that connect themselves to other widgets of their interface file
// once the whole file has been loaded (every widget and name exists).

class VelAwakeFromNib {
public:
    virtual ~VelAwakeFromNib() = default;
    virtual void awakeFromNib() = 0;
};
