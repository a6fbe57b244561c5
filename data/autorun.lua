-- Run before the rooms exist.  The pet scripts replace UnLoadPet once there
-- is a pet; until then there is nothing to unload at the end of a run.
function UnLoadPet() end
