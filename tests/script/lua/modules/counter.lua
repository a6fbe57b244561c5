-- A module for loaders.lua.
local count = 0
return { next = function() count = count + 1 return count end }
