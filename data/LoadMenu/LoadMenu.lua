-- The load menu.  Until saved pets exist it only leads back.
function Room.OnStartRoom()
    print("Entered LoadMenu")
end
