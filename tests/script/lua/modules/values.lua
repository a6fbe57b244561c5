-- Results for loaders.lua.
return 1, "two", nil
