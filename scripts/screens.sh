#!/usr/bin/env bash
# Takes a picture of every screen and dialog of both programs through the
# headless drivers, into one folder (default build/screens), at 1024 x 768.
# The games' logs and saves go to a scratch folder, never beside the programs.
# usage: scripts/screens.sh [OUTPUT FOLDER]
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=$(realpath -m "${1:-build/screens}")
bin="$root/build/bin"
if [[ ! -x "$bin/battlesim" || ! -x "$bin/campaignsim" ]]; then
  bash scripts/build.sh build -DVORNA_TESTS=ON >/dev/null || exit 1
fi
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null
failed=0

# Runs a driver from the program folder; its output goes to the work folder.
sim() {
  local name=$1; shift
  if ! (cd "$bin" && timeout 900 "$@") >"$work/$name.txt" 2>&1; then
    echo "screens: $name failed (see below)" >&2
    tail -5 "$work/$name.txt" >&2
    failed=1
  fi
}

script() { printf '%s\n' "$@" >"$work/$1.script"; }

# --- seabattle: the menus -------------------------------------------------
frames() {  # name frames script-lines...
  local name=$1 n=$2; shift 2
  printf '%s\n' "$@" >"$work/$name.script"
  sim "$name" ./battlesim frames --frames "$n" --script "$work/$name.script" \
    --shot "$out/seabattle_$name.png" --at "$n" --out "$work/$name/"
}
frames main_menu 30 "# the menu as it starts"
frames main_menu_help 40 "5 press main_menu Help" "20 click 560 276"
frames options 40 "5 press main_menu Options"
frames controls 40 "5 press main_menu Controls"
# The load screen with two saves, the first one chosen.
sim savegame1 ./battlesim savegame demo_scenario.scnrxml --at harbour --save "In harbour" --out "$work/load_game/"
sim savegame2 ./battlesim savegame demo_scenario.scnrxml --at 60 --save "First battle" --out "$work/load_game/"
frames load_game 60 "5 press main_menu Load" "30 click 274 245"
frames duel_menu 120 "5 press main_menu Duel"

# --- seabattle: the harbour, its boxes and the columns screen --------------
cat >"$work/harbour.script" <<'EOF'
10 press harbour_game_menu Help
30 press harbour_game_menu Help
40 press harbour_game_ship_properties Buy
60 press harbour_game_by_ship Cancel
80 press harbour_game_player_ships Ship_Blue_Cruiser_1
100 press harbour_game_ship_properties Sell
120 press harbour_game_sell_ship Cancel
140 press harbour_game_menu Next
160 press harbour_columns_menu Help
180 press harbour_columns_menu Help
190 press harbour_columns_work Column1Add
210 press harbour_columns_menu Next
EOF
sim harbour ./battlesim harbour demo_scenario.scnrxml --script "$work/harbour.script" \
  --damage "Blue Cruiser 1=40" --frames 240 --out "$work/harbour/" \
  --shots "8:$out/seabattle_harbour.png,20:$out/seabattle_harbour_help.png,50:$out/seabattle_harbour_buy_box.png,90:$out/seabattle_harbour_own_ship.png,110:$out/seabattle_harbour_sell_box.png,150:$out/seabattle_columns.png,170:$out/seabattle_columns_help.png,200:$out/seabattle_columns_added.png,230:$out/seabattle_columns_fight_box.png"
printf '10 press harbour_game_menu Next\n' >"$work/let.script"
sim let_mission ./battlesim harbour demo_scenario.scnrxml --script "$work/let.script" \
  --damage "Blue Cruiser 1=60,Blue Cruiser 2=60,Blue Ram=60" --frames 40 --out "$work/let/" \
  --shots "30:$out/seabattle_harbour_let_mission_box.png"

# --- seabattle: the battle under the HUD, its popups and the pause menu ----
cat >"$work/battle.script" <<'EOF'
5 key down 2
6 key up 2
10 key down UP
11 key up UP
EOF
sim battle_hud ./battlesim battle demo_human.btlmapxml --script "$work/battle.script" --frames 200 \
  --shot "$out/seabattle_battle_hud.png" --out "$work/battle/"
printf '5 press battle_game_menu Menu\n' >"$work/pause.script"
sim battle_pause ./battlesim battle demo_human.btlmapxml --script "$work/pause.script" --frames 60 \
  --shot "$out/seabattle_battle_pause_menu.png" --out "$work/pause/"

# --- seabattle: one of each screen of a whole scenario played from the menu
mkdir -p "$work/play_pictures"
sim play ./battlesim play --minutes 2 --rounds 1 --pictures "$work/play_pictures" --out "$work/play/"
for f in "$work"/play_pictures/*.png; do
  [[ -e "$f" ]] && cp "$f" "$out/seabattle_play_$(basename "$f")"
done

# --- campaign: the start screens and the menu -------------------------------
# campaignsim keeps its log in its program folder: it runs from a folder of
# its own with the demo data linked in.
camp="$work/campaign"
mkdir -p "$camp/shots"
ln "$bin/campaignsim" "$camp/campaignsim" 2>/dev/null || cp "$bin/campaignsim" "$camp/campaignsim"
for e in "$bin"/*; do
  name=$(basename "$e")
  case "$name" in *.log|Saves|Screenshots|*.ini) continue ;; esac
  [[ -f "$e" && -x "$e" ]] && continue
  ln -s "$e" "$camp/$name"
done
cp "$bin"/*.ini "$camp/"
printf '[Grafic Settings]\nFullScreen=0\nWidth=1024\nHeight=768\n' >"$camp/engine.ini"
camp_sim() {
  local name=$1; shift
  if ! (cd "$camp" && timeout 900 ./campaignsim "$@") >"$work/$name.txt" 2>&1; then
    echo "screens: $name failed" >&2
    tail -5 "$work/$name.txt" >&2
    failed=1
  fi
}
camp_sim campaign_screens screens --script "$root/tests/drivers/campaignsim/scripts/menu_walk.txt" --out "$camp/shots"
for f in "$camp"/shots/*.png; do
  [[ -e "$f" ]] && cp "$f" "$out/campaign_$(basename "$f")"
done
# --- campaign: the map screen of each demo map
for map in demo_strait demo_cape; do
  camp_sim "campaign_$map" map "$map.map" --frames 60 --shot "$out/campaign_map_$map.png"
done

ls "$out"
exit $failed
