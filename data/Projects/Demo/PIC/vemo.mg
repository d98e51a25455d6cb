#MG_HEAD 1 300 0 7        ! NKadr, dTime, ColBk, ColGrid
#MG_VW 1 1 100 20 2 2     ! nX nY tileX tileY margX margY
#MG_WVX 1.5 -8.5          ! lg(Tau) Low High
#MG_GRA + 12 0.2          ! ChPoint Grafik_Colr (0-15) PointSize
#MG_MOD HSRA 0            ! ModName FMOD
#MG_NAM T                 ! VecName
#MG_WVY N 2000 9000 1000 2 ! ChCalc Y(Down) Y(Up) [GridStepY MarkStepY]
#MG_GRIX 0.1 5            ! GridStepX MarkStepX
#MG_GRIY 500 4            ! GridStepY MarkStepY
#MG                       ! draws the curve so described
#MG #MOD HOLMU 0 #NAM T #GRA o 9 0.2 ! a second curve: the same quantity of another model
