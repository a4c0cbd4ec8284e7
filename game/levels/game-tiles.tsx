<?xml version="1.0" encoding="UTF-8"?>
<tileset version="1.8" tiledversion="1.8.2" name="game-tiles" tilewidth="32" tileheight="32" tilecount="8" columns="4">
 <properties>
  <property name="keepnumbers" type="bool" value="true"/>
 </properties>
 <image source="game-tiles.png" width="128" height="64"/>
</tileset>
