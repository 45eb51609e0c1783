#!/usr/bin/env bash
# Draws the three pictures of the headless demo into the given folder with ImageMagick, from
# shapes and gradients alone: a mountain lake at dusk, a bowl of fruit, a sailing boat at sea.
set -euo pipefail
out=$1
mkdir -p "$out"

convert -size 900x600 gradient:'#27306b-#f49a5b' \
  -fill '#ffe19a' -draw 'circle 660,205 660,163' \
  -fill '#4b3a66' -draw 'polygon 0,380 120,250 230,330 380,180 520,340 640,260 780,350 900,290 900,600 0,600' \
  -fill '#2c2344' -draw 'polygon 0,470 160,360 300,440 470,350 640,450 800,390 900,430 900,600 0,600' \
  \( -size 900x150 gradient:'#e48a5a-#1d2346' \) -geometry +0+450 -composite \
  -fill '#ffd98a' -draw 'rectangle 610,470 710,474 rectangle 630,490 690,493 rectangle 646,510 676,512' \
  -quality 88 "$out/mountain-lake.jpg"

convert -size 600x750 gradient:'#e9dcc3-#b79f7e' \
  -fill '#7a4a2a' -draw 'rectangle 0,520 600,750' \
  -fill '#5e3820' -draw 'rectangle 0,520 600,534' \
  -fill '#3f6f8f' -draw 'polygon 400,520 380,300 420,230 460,230 500,300 480,520' \
  -fill '#2f5b77' -draw 'rectangle 418,200 462,232' \
  -fill '#d23b2b' -draw 'circle 200,430 200,365' \
  -fill '#f08c1e' -draw 'circle 300,415 300,357' \
  -fill '#8cbf3f' -draw 'ellipse 250,360 45,58 0,360' \
  -fill '#f3efe6' -draw 'ellipse 250,480 190,60 0,180' \
  -fill '#d9d2c4' -draw 'ellipse 250,480 190,22 0,360' \
  -quality 88 "$out/fruit-bowl.jpg"

convert -size 900x600 gradient:'#7cc4ef-#e8f4fb' \
  -fill '#fff3b0' -draw 'circle 160,140 160,95' \
  \( -size 900x260 gradient:'#2a7fb8-#0f3f66' \) -geometry +0+340 -composite \
  -fill '#f1ddb0' -draw 'polygon 0,560 300,520 620,540 900,500 900,600 0,600' \
  -fill '#6b3b1f' -draw 'polygon 470,380 700,380 670,410 500,410' \
  -fill '#fbfbf7' -draw 'polygon 585,372 585,170 680,372' \
  -fill '#e8534a' -draw 'polygon 575,372 575,205 500,372' \
  -stroke '#3a2a1a' -strokewidth 4 -draw 'line 580,376 580,160' \
  -quality 88 "$out/sailing-boat.jpg"
