-- Tuning numbers of the house, the pets and the toys.  The host reads some
-- of them by name (the pet room's mouse thresholds, the camera, the tweak
-- blend, every `physics` value); the rest belong to the pet scripts.  All
-- lengths are metres, all times seconds unless a name says otherwise.

globals = {
    -- The pet room's mouse handling (pixels, milliseconds).
    MIN_PUSH_DISTANCE = 20.0,
    MAX_POKE_DISTANCE = 5.0,
    MIN_PETTING_SWIPE = 10.0,
    PETTING_TIMEOUT = 900,
    -- How far in front of the camera a dragged toy hangs.
    TOY_DRAG_Z_DISTANCE = 1.2,

    camera = { field_of_view = 60, near_clip = 0.1, far_clip = 50 },

    -- The tweak bone: radians per second, the quaternion tolerance and the
    -- largest distance from the animated pose it may bend to.
    TWEAK_BLEND_QUATERNION_ANGULAR_VELOCITY = 2.5,
    TWEAK_BLEND_EPSILON = 0.001,
    TWEAK_BLEND_MAX_SLERP = 0.6,

    -- Where the menu rooms show the registered pet.
    preview_offset = { x = 0.0, y = 0.0, z = 0.0 },

    -- Needs run from 0 to 100.  Hunger grows; the others are "how well off"
    -- and fall.  Rates are points per second of house time.
    NEEDS = {
        hunger_rate = 0.08,
        energy_awake_rate = 0.05,
        energy_sleep_rate = 0.6,
        fun_rate = 0.07,
        affection_rate = 0.05,
        cleanliness_rate = 0.02,
        -- What care gives.
        petting_affection_per_second = 6.0,
        treat_hunger = 12, treat_affection = 8,
        meal_hunger_per_second = 8.0,
        drink_hunger_per_second = 2.0,
        play_fun_per_second = 5.0,
        chase_fun = 12,
        groom_cleanliness_per_second = 1.0,
        brush_per_stroke = 6, bath_per_stroke = 10,
        -- Each shampoo stroke leaves lather (up to lather_max strokes'
        -- worth); the shower's next stroke rinses it all off for more.
        lather_max = 5, shower_per_stroke = 3, rinse_per_lather = 4,
        poke_affection = -3, push_affection = -5, annoyed_affection = -4, spray_affection = -6,
    },

    -- The pet's choices: how long each activity holds once chosen (min and
    -- max seconds) and how much chance weighs against need.
    AI = {
        RANDOM_WEIGHT = 12,
        ATTENTION_RADIUS = 3.2,      -- metres from the player's spot on the floor
        WALK_SPEED = 0.45, TROT_SPEED = 0.9, RUN_SPEED = 1.6,
        WALK_SAMPLES = 12,
        CLOSE_ENOUGH = 0.25,         -- a walk ending this near counts as arrived
        PET_ANNOY_DELAY = 2.0,       -- seconds of disliked petting, times patience
        STARTLE_TIME = 1.2, STUMBLE_TIME = 1.0, PUSH_SLIDE = 0.25,
        HOLD = {
            IDLE = {3, 6}, WANDER = {4, 9}, SIT = {6, 12}, LIE = {8, 16},
            SLEEP = {20, 40}, GROOM = {5, 9}, EAT = {5, 8}, DRINK = {3, 5},
            PLAY = {6, 10}, COME = {6, 10}, STRETCH = {2, 2}, YAWN = {1.5, 1.5}, FLEE = {4, 4},
        },
    },
}

-- Toy physics (read by name on every step).  The floor is the grass: toys
-- rest with their origin on it.
physics = {
    gravity = 9.8,
    velocity_epsilon = 0.03,
    grass = { height = 0.0, elasticity = 0.85, rolling_friction = 1.0 },
    fence = { elasticity = 0.6 },
    -- The throw: the drag's velocity is in metres per millisecond; z goes
    -- away from the camera, which looks toward -z in every room.
    scale_initial_velocity = { x = 900, y = 700, z = -700 },
    min_z_initial_velocity = 1.2,
    max_initial_velocity = 5.5,
    toy = {
        Default = { elasticity = 0.55, min_apex_height = 0.06, min_velocity = 0.05, lift = 0,
                    rolling_friction = 0.9, initial_angular_velocity = 540, radius = 0.06 },
        Ball = { elasticity = 0.7, min_apex_height = 0.05, min_velocity = 0.05, lift = 0,
                 rolling_friction = 0.6, initial_angular_velocity = 720 },
        Treat = { elasticity = 0.1, min_apex_height = 0.1, min_velocity = 0.1, lift = 0,
                  rolling_friction = 4.0, initial_angular_velocity = 180 },
        Frisbee = { grab_tilt = 20 },
    },
    -- The fence of the room the house shows; set from HOUSE_ROOMS on every
    -- room change.
    yard = {},
}

-- The cat's bones mapped to the body parts the reactions know.
bones = {
    root = "Back", pelvis = "Back", spine = "Back", chest = "Belly",
    neck = "Chin", head = "Head", jaw = "Chin",
    ear_l = "Head", ear_r = "Head", eye_l = "Head", eye_r = "Head",
    tail1 = "Tail", tail2 = "Tail", tail3 = "Tail", tail4 = "Tail", tail5 = "Tail", tail6 = "Tail",
}
for _, side in ipairs({"l", "r"}) do
    for _, piece in ipairs({"upper", "lower", "foot", "paw"}) do
        bones["front_" .. piece .. "_" .. side] = "Legs"
        bones["back_" .. piece .. "_" .. side] = "Legs"
    end
end
