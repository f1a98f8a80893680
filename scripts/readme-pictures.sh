#!/bin/bash
# usage: scripts/readme-pictures.sh [DEMO_DIR]
# README's small pictures of the wizard, cut from the screenshots make demo
# leaves in out/demo (DEMO_DIR): each window trimmed from the screen's
# background, scaled to 60 % and kept in 64 colours, into docs/pictures/.
set -eu
demo=${1:-out/demo}
to=$(dirname "$0")/../docs/pictures
mkdir -p "$to"
picture() {  # SCREENSHOT NAME
  convert "$demo/$1.png" -fuzz 3% -trim +repage -resize 60% -colors 64 \
    -define png:exclude-chunks=date,time -strip "$to/$2.png"
}
picture installation/install-1-welcome en-welcome
picture installation/install-2-information en-information
picture installation/install-3-target en-target
picture existing_installation/update-en en-update
picture installation/install-5-finished en-finished
picture wizard_flow/de-1-welcome de-welcome
picture wizard_flow/de-2-target de-target
picture existing_installation/repair-de de-repair
picture wizard_flow/de-7-installation de-installation
