list(APPEND VARPEN_IMAGES
  public/Calendar/CalendarPre.png
  public/Calendar/CalendarNext.png
  public/Calendar/WeekLeft.png
  public/Calendar/WeekMiddle.png
  public/Calendar/WeekRight.png
  public/Calendar/CalendarNormal.png
  public/Calendar/CalendarHover.png
  public/Calendar/CalendarFocus.png
  public/Calendar/DateTimeEditArrow.png
  public/Calendar/DateTimeEditArrow-disabled.png
  public/calendar-background.png
)
